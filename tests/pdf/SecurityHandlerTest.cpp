// The encryption dictionary: every refusal says why; SASLprep of AES-256 passwords.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdf/SaslPrep.h"
#include "pdf/SecurityHandler.h"
#include "syntax/Parser.h"

using namespace lumerra;

namespace {

std::span<const uint8_t> Span(const std::string& Text) {
    return {reinterpret_cast<const uint8_t*>(Text.data()), Text.size()};
}

// The message (and context) Open raises for the dictionary Text, or "opened".
std::string Refusal(const std::string& Text, const std::optional<std::string>& Password = std::nullopt) {
    const auto value = ParseValue(Span(Text));
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
