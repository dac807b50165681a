// Encryption dictionaries built to hurt, read by extended reading: each ends
// in a clear message, in time and within the memory budget.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostile/HostileDocuments.h"
#include "support/PdfBuilder.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

// One page; object 5 and the trailer's extra keys as given.
std::string Encrypted(const std::string& Object5, const std::string& Trailer) {
    return PdfBuilder::SimpleDocument({"0 0 m S"}).Set(5, Object5).TrailerExtra(Trailer).Build();
}

const std::string Hash48 = "<" + std::string(96, 'f') + ">";

}  // namespace

TEST(HostileEncryption, DamagedEncryptionDictionariesEndInAMessage) {
    const std::string damaged = "暗号化辞書が壊れています。";
    const std::string wrong = "パスワードが正しくありません。";
    struct Case {
        std::string Name, Bytes, Message;
    };
    const std::vector<Case> cases = {
        {"/Encrypt naming an object the file lacks", Encrypted("null", "/Encrypt 77 0 R /ID [<00>]"), damaged},
        {"/Encrypt naming a number", Encrypted("null", "/Encrypt 5 /ID [<00>]"), damaged},
        {"/CF naming an object the file lacks",
         Encrypted("<< /Filter /Standard /V 5 /R 6 /CF 77 0 R /StmF /StdCF >>", "/Encrypt 5 0 R"), damaged},
        {"/CF naming the encryption dictionary itself",
         Encrypted("<< /Filter /Standard /V 4 /R 4 /CF 5 0 R /StmF /StdCF /O " + Hash48 + " /U " + Hash48 + " /P -1 >>",
                   "/Encrypt 5 0 R"),
         "対応できない暗号化方式です。"},
        {"encryption dictionary nested ten thousand deep", Encrypted(std::string(10000, '['), "/Encrypt 5 0 R"),
         damaged},
        {"encryption dictionary with an unended string",
         Encrypted("<< /Filter /Standard /O (" + std::string(100000, 'x'), "/Encrypt 5 0 R"), damaged},
        {"public-key handler", Encrypted("<< /Filter /Adobe.PubSec /V 4 /R 4 >>", "/Encrypt 5 0 R"),
         "対応できないセキュリティハンドラです。"},
        {"AES-256 whose hash loop runs as long as it may",
         Encrypted("<< /Filter /Standard /V 5 /R 6 /O " + Hash48 + " /U " + Hash48 + " /OE " + Hash48 + " /UE " +
                       Hash48 + " /P -1 >>",
                   "/Encrypt 5 0 R"),
         wrong},
        {"RC4 with a huge /ID",
         Encrypted("<< /Filter /Standard /V 2 /R 3 /Length 128 /O " + Hash48 + " /U " + Hash48 + " /P -1 >>",
                   "/Encrypt 5 0 R /ID [<" + std::string(60000, 'a') + "> <00>]"),
         wrong},
    };
    for (const Case& c : cases) {
        TempFile file(c.Bytes, "hostile.pdf");
        ExpectMessage(RunCase(c.Name, [&] { return WriteReport(file.Path(), file.Sibling("out.txt"), true, true); }),
                      c.Message);
    }
}
