// The encryption dictionary and the trailer values read whole: bounded, and
// every refusal says why; SASLprep of AES-256 passwords.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdf/SaslPrep.h"
#include "pdf/SecurityHandler.h"
#include "pdf/ValueReader.h"

using namespace lumerra;

namespace {

std::span<const uint8_t> Span(const std::string& Text) {
    return {reinterpret_cast<const uint8_t*>(Text.data()), Text.size()};
}

// The message (and context) Open raises for the dictionary Text, or "opened".
std::string Refusal(const std::string& Text, const std::optional<std::string>& Password = std::nullopt) {
    const auto value = ReadPdfValue(Span(Text));
    if (!value) return "unreadable";
    try {
        TSecurityHandler::Open(*value, "0123456789abcdef", Password);
        return "opened";
    } catch (const ESecurityError& e) {
        return e.Detailed();
    }
}

const std::string U32 = "<" + std::string(64, '0') + ">";
const std::string U48 = "<" + std::string(96, '0') + ">";

}  // namespace

TEST(ValueReader, ReadsTheValuesOfTrailersAndEncryptionDictionaries) {
    const auto value =
        ReadPdfValue(Span("<< /Encrypt 12 0 R /ID [<0A0b c> (a\\(b\\)\\101\\n(x))] /V 4 /EncryptMetadata false /CF << "
                          "/StdCF << /CFM /AESV2 >> >> >>"));
    ASSERT_TRUE(value);
    ASSERT_TRUE(value->Find("/Encrypt")->Is(TPdfValue::TKind::Reference));
    EXPECT_EQ(value->Find("/Encrypt")->Number, 12);
    const TPdfValue& id = *value->Find("/ID");
    ASSERT_EQ(id.Items.size(), 2u);
    EXPECT_EQ(id.Items[0].Text, std::string("\x0a\x0b\xc0", 3));  // an odd last digit is followed by 0
    EXPECT_EQ(id.Items[1].Text, "a(b)A\n(x)");
    EXPECT_EQ(value->Find("/V")->Number, 4);
    EXPECT_FALSE(value->Find("/EncryptMetadata")->Boolean);
    EXPECT_EQ(value->Find("/CF")->Find("/StdCF")->Find("/CFM")->Text, "/AESV2");
    int32_t generation = -1;
    EXPECT_TRUE(ReadIndirectValue(Span("7 3 obj\n<< >>"), generation));
    EXPECT_EQ(generation, 3);
}

TEST(ValueReader, DamagedOrUnboundedValuesAreRefused) {
    for (const std::string& text : std::vector<std::string>{"<< /V 4", "(unended", "<0g>", "[1 2", "<< 3 4 >>", std::string(100, '['), ")", ""}) {
        SCOPED_TRACE(text.substr(0, 40));
        EXPECT_FALSE(ReadPdfValue(Span(text)));
    }
    std::string many = "[";
    for (int i = 0; i < 5000; ++i) many += "1 ";
    EXPECT_FALSE(ReadPdfValue(Span(many + "]"))) << "too many items";
}

TEST(SecurityHandler, RefusesWhatItCannotOpenAndSaysWhy) {
    struct Case {
        std::string Dictionary;
        std::string Expected;
    };
    const Case cases[] = {
        {"<< /Filter /Adobe.PubSec /V 4 /R 4 >>", "対応できないセキュリティハンドラです。 (/Adobe.PubSec)"},
        {"<< /V 2 /R 3 >>", "対応できないセキュリティハンドラです。 (no /Filter)"},
        {"<< /Filter /Standard /V 3 /R 3 /O " + U32 + " /U " + U32 + " /P -4 >>",
         "対応できない暗号化方式です。 (V 3, R 3)"},
        {"<< /Filter /Standard /V 2 /R 7 /O " + U32 + " /U " + U32 + " /P -4 >>",
         "対応できない暗号化方式です。 (V 2, R 7)"},
        {"<< /Filter /Standard /V 2 /R 3 /Length 44 /O " + U32 + " /U " + U32 + " /P -4 >>",
         "対応できない暗号化方式です。 (/Length 44)"},
        {"<< /Filter /Standard /V 4 /R 4 /CF << /X << /CFM /Rot13 >> >> /O " + U32 + " /U " + U32 + " /P -4 >>",
         "対応できない暗号化方式です。 (crypt filter /Rot13)"},
        {"<< /Filter /Standard /V 4 /R 4 /StmF /Missing /O " + U32 + " /U " + U32 + " /P -4 >>",
         "対応できない暗号化方式です。 (crypt filter /Missing)"},
        {"<< /Filter /Standard /V 1 /R 2 /O <00> /U " + U32 + " /P -4 >>", "暗号化辞書が壊れています。 (/O or /U)"},
        {"<< /Filter /Standard /V 1 /R 2 /O 5 /U " + U32 + " /P -4 >>",
         "暗号化辞書が壊れています。 (encryption dictionary)"},
        {"<< /Filter /Standard /V /x /R 2 >>", "暗号化辞書が壊れています。 (encryption dictionary)"},
        {"<< /Filter /Standard /V 5 /R 6 /O " + U48 + " /U " + U48 + " /P -4 /OE <00> /UE " + U32 + " >>",
         "暗号化辞書が壊れています。 (/OE or /UE)"},
        {"[/Standard]", "暗号化辞書が壊れています。 (encryption dictionary)"},
        // Well formed, but no password opens it.
        {"<< /Filter /Standard /V 1 /R 2 /O " + U32 + " /U " + U32 + " /P -4 >>", "パスワードが正しくありません。"},
        {"<< /Filter /Standard /V 5 /R 6 /O " + U48 + " /U " + U48 + " /P -4 /OE " + U32 + " /UE " + U32 + " >>",
         "パスワードが正しくありません。"},
    };
    for (const Case& c : cases) EXPECT_EQ(Refusal(c.Dictionary, "pw"), c.Expected) << c.Dictionary;
}

TEST(SaslPrep, PreparesAsRfc4013SaysAndRefusesWhatItProhibits) {
    struct Case {
        std::string Password;
        std::optional<std::string> Prepared;
    };
    const Case cases[] = {
        {"", ""},
        {"user", "user"},
        {"USER", "USER"},                // no case folding
        {"I\xC2\xADX", "IX"},            // soft hyphen mapped to nothing
        {"\xC2\xAA", "a"},               // NFKC
        {"\xE2\x85\xA8", "IX"},          // roman numeral nine, NFKC
        {"a\xC2\xA0" "b", "a b"},        // no-break space mapped to space
        {"\x07", std::nullopt},          // control character
        {"a\xEE\x80\x80", std::nullopt},  // private use
        {"\xD8\xA7" "1", std::nullopt},  // right-to-left text ending left-to-right
        {"\xFF\xFE", std::nullopt},      // not UTF-8
        {std::string("a\0b", 3), std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(SaslPrep(c.Password), c.Prepared) << c.Password;
}
