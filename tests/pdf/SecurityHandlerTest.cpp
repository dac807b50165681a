// The encryption dictionary: every refusal says why; SASLprep of AES-256 passwords.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filters/Crypto.h"
#include "pdf/SaslPrep.h"
#include "pdf/SecurityHandler.h"
#include "support/ByteSpan.h"
#include "syntax/Parser.h"

using namespace lumerra;
using lumerra::test::BytesOf;

namespace {

// The message (and context) Open raises for the dictionary Text, or "opened".
std::string Refusal(const std::string& Text, const std::optional<std::string>& Password = std::nullopt) {
    const auto value = ParseValue(BytesOf(Text));
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

const std::string FileId = "0123456789abcdef";
const std::string Padding(
    "\x28\xBF\x4E\x5E\x4E\x75\x8A\x41\x64\x00\x4E\x56\xFF\xFA\x01\x08"
    "\x2E\x2E\x00\xB6\xD0\x68\x3E\x80\x2F\x0C\xA9\xFE\x64\x53\x69\x7A",
    32);

std::string Hex(const TBytes& Bytes) {
    std::string hex = "<";
    for (const uint8_t b : Bytes) hex += "0123456789ABCDEF"[b >> 4], hex += "0123456789ABCDEF"[b & 15];
    return hex + ">";
}

// MD5, and for revision 3 on fifty more times over the first Length bytes.
TBytes Md5Rounds(TBytes Input, int Revision, size_t Length) {
    TBytes key = Md5(Input);
    if (Revision >= 3)
        for (int i = 0; i < 50; ++i) key = Md5(std::span(key.data(), Length));
    key.resize(Length);
    return key;
}

// RC4 with Key, then for revision 3 on with Key XOR 1 to 19.
TBytes Rc4Rounds(const TBytes& Key, TBytes Data, int Revision) {
    Data = Rc4(Key, Data);
    for (int i = 1; Revision >= 3 && i <= 19; ++i) {
        TBytes key = Key;
        for (uint8_t& b : key) b ^= static_cast<uint8_t>(i);
        Data = Rc4(key, Data);
    }
    return Data;
}

// /O and /U of revisions 2 to 4 for the user password User and a truly
// empty owner password (qpdf writes the user's in its place).
std::string EmptyOwnerDictionary(int Revision, const std::string& User) {
    const size_t length = Revision == 2 ? 5 : 16;
    const TBytes ownerKey = Md5Rounds(TBytes(Padding.begin(), Padding.end()), Revision, length);
    const std::string paddedUser = (User + Padding).substr(0, 32);
    const TBytes owner = Rc4Rounds(ownerKey, TBytes(paddedUser.begin(), paddedUser.end()), Revision);
    const std::string keyInput =
        paddedUser + std::string(owner.begin(), owner.end()) + std::string("\xFC\xFF\xFF\xFF", 4) + FileId;
    const TBytes key = Md5Rounds(TBytes(keyInput.begin(), keyInput.end()), Revision, length);
    TBytes user = Revision == 2 ? Rc4(key, BytesOf(Padding)) : Rc4Rounds(key, Md5(BytesOf(Padding + FileId)), 3);
    user.resize(32, 0);
    const std::string method = Revision == 2   ? "/V 1 /R 2"
                               : Revision == 3 ? "/V 2 /R 3 /Length 128"
                                               : "/V 4 /R 4 /CF << /StdCF << /CFM /AESV2 >> >> /StmF /StdCF /StrF /StdCF";
    return "<< /Filter /Standard " + method + " /O " + Hex(owner) + " /U " + Hex(user) + " /P -4 >>";
}

// Which password opened the dictionary Text: "empty", "user", "owner", or the refusal.
std::string OpenedBy(const std::string& Text, const std::optional<std::string>& Password) {
    try {
        const TPasswordKind kind = TSecurityHandler::Open(*ParseValue(BytesOf(Text)), FileId, Password)->Password();
        return kind == TPasswordKind::Empty ? "empty" : kind == TPasswordKind::User ? "user" : "owner";
    } catch (const ESecurityError& e) {
        return e.Message();
    }
}

}  // namespace

// The empty password is tried as the user's and as the owner's before the
// one given: a wrong password never refuses a file that opens without one.
TEST(SecurityHandler, ATrulyEmptyOwnerPasswordOpensWhateverPasswordIsGiven) {
    for (const int revision : {2, 3, 4}) {
        const std::string encrypt = EmptyOwnerDictionary(revision, "user");
        for (const std::optional<std::string>& password :
             {std::optional<std::string>(), std::optional<std::string>("wrong"), std::optional<std::string>("user")}) {
            EXPECT_EQ(OpenedBy(encrypt, password), "owner") << revision << " " << password.value_or("(none)");
        }
    }
    // Both empty: the user's is tried first, which checks the /U made here.
    EXPECT_EQ(OpenedBy(EmptyOwnerDictionary(3, ""), "anything"), "empty");
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
