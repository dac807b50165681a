// Extended reading of encrypted files: each handler and revision that qpdf
// writes gives the report of the same file unencrypted, byte for byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "decoder/PDFLumerra.h"
#include "pdf/DefaultAnalyst.h"
#include "pdf/DocInfo.h"
#include "pdf/ExtendedAnalyst.h"
#include "pdf/SecurityHandler.h"
#include "support/PdfBuilder.h"
#include "support/ReportSupport.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

bool HaveQpdf() { return std::system("qpdf --version > /dev/null 2>&1") == 0; }

std::string Quoted(const std::string& Text) { return "'" + Text + "'"; }

// Runs qpdf with Options over In into Out; false when it failed.
bool Qpdf(const std::string& Options, const std::string& In, const std::string& Out) {
    const std::string command =
        // Streams stay as PdfBuilder wrote them, so that only encryption differs.
        "qpdf --static-id --allow-weak-crypto --compress-streams=n --decode-level=none " + Options + " " + Quoted(In) + " " + Quoted(Out) + " > /dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) && (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 3);  // 3: warnings
}

struct TOpened {
    std::string Report;  // without its first line, which names the file
    std::string Error;   // the message when loading or decoding failed
    std::string Encryption;
    std::string Password;
    std::vector<std::string> Warnings;
    std::string Info;  // the document information, "key=value;" each
};

TOpened Open(const std::string& Path, const std::optional<std::string>& Password = std::nullopt) {
    TOpened result;
    try {
        TExtendedAnalyst analyst;
        analyst.SetPassword(Password);
        analyst.LoadFromFile(Path);
        if (const TSecurityHandler* security = analyst.Security()) {
            result.Encryption = security->Description();
            const TPasswordKind kind = security->Password();
            result.Password = kind == TPasswordKind::Empty ? "empty" : kind == TPasswordKind::User ? "user" : "owner";
        }
        result.Warnings = analyst.Warnings();
        for (const auto& [key, value] : ReadDocInfo(analyst)) result.Info += key + "=" + value + ";";
        DecodeAllPages(analyst, true, result.Report);
        result.Report.erase(0, result.Report.find('\n') + 1);
    } catch (const Exception& e) {
        result.Error = e.Message();
    }
    return result;
}

// The two-page document with a metadata stream, and a string in the page
// for the strings' keys.
std::string Document() {
    PdfBuilder b = TwoPageDocument();
    b.Set(1, "<< /Type /Catalog /Pages 2 0 R /Metadata 14 0 R >>");
    // The metadata stream drawn too: with /EncryptMetadata false it is the
    // one stream left unencrypted.
    b.Set(7, "[8 0 R 11 0 R 14 0 R]");
    b.SetStream(8, "/Filter /FlateDecode", Deflate("0 0 m 10 10 l S (a string) Tj"));
    b.SetStream(14, "/Type /Metadata /Subtype /XML", "% x:xmpmeta");
    // Strings in the information dictionary, one of them an object of its own.
    b.Set(15, "<< /Title (Secret \\(title\\)) /Author 16 0 R >>");
    b.Set(16, "<FEFF004D0065>");
    b.TrailerExtra("/Info 15 0 R");
    return b.Build();
}

// Pdf (a qpdf file with a classic table) with an incremental update that
// writes its encryption dictionary again, /CF and its crypt filter /StdCF as
// indirect objects. The encrypted objects stay as they were and every
// offset is exact.
std::string IndirectCryptFilters(const std::string& Pdf) {
    const std::string trailer = Pdf.substr(Pdf.rfind("trailer"));
    auto find = [&](const std::string& Pattern) {
        std::smatch match;
        EXPECT_TRUE(std::regex_search(trailer, match, std::regex(Pattern))) << Pattern;
        return match.size() > 1 ? match[1].str() : std::string();
    };
    const int size = std::stoi(find(R"(/Size (\d+))"));
    const std::string encrypt = find(R"(/Encrypt (\d+) 0 R)");
    const std::string kept = "/Root " + find(R"(/Root (\d+ \d+ R))") + " /ID " + find(R"(/ID (\[[^\]]*\]))");
    const std::string previous = find(R"(startxref\s+(\d+))");
    const size_t start = Pdf.find("\n" + encrypt + " 0 obj") + 1;
    const size_t bodyStart = Pdf.find("obj", start) + 3;
    std::string body = Pdf.substr(bodyStart, Pdf.find("endobj", start) - bodyStart);
    std::smatch crypt;
    if (!std::regex_search(body, crypt, std::regex(R"(/CF\s*<<\s*/StdCF\s*(<<[^>]*>>)\s*>>)"))) {
        ADD_FAILURE() << "no /CF in " << body;
        return Pdf;
    }
    const std::string filter = crypt[1].str();
    body = crypt.prefix().str() + "/CF " + std::to_string(size) + " 0 R" + crypt.suffix().str();
    std::string out = Pdf;
    std::vector<size_t> offsets;
    for (const std::string& object : {encrypt + " 0 obj\n" + body + "\nendobj\n",
                                      std::to_string(size) + " 0 obj\n<< /StdCF " + std::to_string(size + 1) + " 0 R >>\nendobj\n",
                                      std::to_string(size + 1) + " 0 obj\n" + filter + "\nendobj\n"}) {
        offsets.push_back(out.size());
        out += object;
    }
    const size_t xref = out.size();
    PdfBuilder entries;
    out += "xref\n" + encrypt + " 1\n" + entries.Entry(static_cast<long long>(offsets[0])) + std::to_string(size) + " 2\n" +
           entries.Entry(static_cast<long long>(offsets[1])) + entries.Entry(static_cast<long long>(offsets[2]));
    out += "trailer\n<< /Size " + std::to_string(size + 2) + " " + kept + " /Encrypt " + encrypt + " 0 R /Prev " +
           previous + " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return out;
}

class EncryptedReport : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveQpdf()) GTEST_SKIP() << "qpdf is not installed";
    }
    // The document rewritten by qpdf with Layout (plain), and encrypted with
    // Encryption as well.
    std::string Write(const std::string& Layout, const std::string& Encryption, const std::string& Name) {
        const std::string out = FSource.Sibling(Name);
        const std::string options = Layout + (Encryption.empty() ? "" : " --encrypt " + Encryption + " --");
        EXPECT_TRUE(Qpdf(options, FSource.Path(), out)) << options;
        return out;
    }
    TempFile FSource{Document(), "plain.pdf"};
};

const std::vector<std::string> Layouts = {"--object-streams=disable", "--object-streams=generate"};

}  // namespace

// Every handler and revision, also where the file's own table cannot be
// followed and is rebuilt (the trailer, or cross-reference stream, that
// names /Encrypt is found by the rebuild's pass), and where AES-256's /Perms
// does not confirm /P, which is warned of.
TEST_F(EncryptedReport, EveryHandlerAndRevisionReportsAsThePlainFile) {
    enum class TChange { None, StartxrefElsewhere, OtherPermissions, NoPerms };
    struct Case {
        const char* Encryption;  // qpdf's --encrypt arguments, empty user password
        const char* Expected;
        TChange Change = TChange::None;
        const char* Warning = "";  // the start of the one warning
    };
    const Case cases[] = {
        {"'' owner 40", "RC4-40 (R2)"},
        {"'' owner 128 --use-aes=n", "RC4-128 (R3)"},
        {"'' owner 128 --use-aes=y", "AES-128 (R4)"},
        {"'' owner 128 --use-aes=y --cleartext-metadata", "AES-128 (R4)"},  // /EncryptMetadata false
        {"'' owner 256 --force-R5", "AES-256 (R5)"},
        {"'' owner 256", "AES-256 (R6)"},
        {"'' owner 128 --use-aes=n", "RC4-128 (R3)", TChange::StartxrefElsewhere, "相互参照テーブルを再構築しました"},
        {"'' owner 256", "AES-256 (R6)", TChange::StartxrefElsewhere, "相互参照テーブルを再構築しました"},
        {"'' owner 256", "AES-256 (R6)", TChange::OtherPermissions, "暗号化辞書の /Perms が /P と一致しません。"},
        {"'' owner 256", "AES-256 (R6)", TChange::NoPerms, "暗号化辞書に /Perms がありません。"},
    };
    for (const std::string& layout : Layouts) {
        const TOpened plain = Open(Write(layout, "", "rewritten.pdf"));
        ASSERT_EQ(plain.Error, "");
        ASSERT_NE(plain.Report.find("BT /F1 12 Tf (one) Tj ET"), std::string::npos);
        ASSERT_EQ(plain.Info, "title=Secret (title);author=Me;");
        for (const Case& c : cases) {
            SCOPED_TRACE(layout + " " + c.Encryption + " " + c.Warning);
            std::string bytes = ReadFileBytes(Write(layout, c.Encryption, "encrypted.pdf"));
            // The changes to the permissions keep the length: the offsets hold.
            const size_t at = c.Change == TChange::StartxrefElsewhere ? bytes.rfind("startxref") + 10
                              : c.Change == TChange::OtherPermissions ? bytes.find("/P -4 ")
                              : c.Change == TChange::NoPerms          ? bytes.find("/Perms <")
                                                                      : 0;
            ASSERT_NE(at, std::string::npos);
            if (c.Change == TChange::StartxrefElsewhere) bytes.replace(at, bytes.find('\n', at) - at, "1");
            if (c.Change == TChange::OtherPermissions) bytes.replace(at, 6, "/P -8 ");
            if (c.Change == TChange::NoPerms) bytes.replace(at, bytes.find('>', at) + 1 - at, bytes.find('>', at) + 1 - at, ' ');
            TempFile file(bytes, "opened.pdf");
            const TOpened encrypted = Open(file.Path());
            EXPECT_EQ(encrypted.Error, "");
            EXPECT_EQ(encrypted.Encryption, c.Expected);
            EXPECT_EQ(encrypted.Password, "empty");
            EXPECT_EQ(encrypted.Report, plain.Report);
            EXPECT_EQ(encrypted.Info, plain.Info);
            EXPECT_EQ(encrypted.Warnings.size(), *c.Warning == '\0' ? 0u : 1u);
            if (!encrypted.Warnings.empty()) {
                EXPECT_EQ(encrypted.Warnings.front().rfind(c.Warning, 0), 0u) << encrypted.Warnings.front();
            }
        }
    }
}

// A user or owner password opens the file and a wrong one is refused. An
// empty owner password opens the file for anyone, as the owner (the empty
// password is tried first, as the user's and as the owner's); qpdf writes
// revisions 3 and 4 with the user's password as the owner's when the owner's
// is empty, as the algorithm has it: those need the user's.
TEST_F(EncryptedReport, PasswordsOpenTheFileAsTheirKindOrAreRefused) {
    const TOpened plain = Open(Write("", "", "rewritten.pdf"));
    ASSERT_EQ(plain.Error, "");
    const std::string refused = "パスワードが正しくありません。";
    struct Case {
        std::string Encryption;  // qpdf's --encrypt arguments
        std::optional<std::string> Password;
        std::string Expected;  // the kind that opened it, or the refusal
    };
    std::vector<Case> cases;
    for (const std::string method : {"40", "128 --use-aes=n", "128 --use-aes=y", "256 --force-R5", "256"}) {
        const std::string encryption = "user owner " + method;
        cases.insert(cases.end(), {{encryption, "user", "user"},
                                   {encryption, "owner", "owner"},
                                   {encryption, "wrong", refused},
                                   {encryption, std::nullopt, refused},
                                   {encryption, "", refused}});
    }
    for (const auto& [method, opener] : {std::pair{"128 --use-aes=n", refused}, std::pair{"128 --use-aes=y", refused},
                                         std::pair{"256 --allow-insecure", std::string("owner")}}) {
        const std::string encryption = std::string("user '' ") + method;
        cases.insert(cases.end(), {{encryption, std::nullopt, opener},
                                   {encryption, "wrong", opener},
                                   {encryption, "user", opener == refused ? "user" : opener}});
    }
    std::string written, file;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Encryption + " with " + c.Password.value_or("(none)"));
        if (c.Encryption != written) file = Write("", written = c.Encryption, "encrypted.pdf");
        const TOpened opened = Open(file, c.Password);
        EXPECT_EQ(opened.Error.empty() ? opened.Password : opened.Error, c.Expected);
        if (opened.Error.empty()) {
            EXPECT_EQ(opened.Report, plain.Report);
        }
    }
}

TEST_F(EncryptedReport, CryptFiltersInIndirectObjectsAreFollowed) {
    const TOpened plain = Open(Write("", "", "rewritten.pdf"));
    ASSERT_EQ(plain.Error, "");
    for (const char* method : {"128 --use-aes=y", "256"}) {
        SCOPED_TRACE(method);
        TempFile file(IndirectCryptFilters(ReadFileBytes(Write("", std::string("'' owner ") + method, "encrypted.pdf"))),
                      "indirect.pdf");
        const TOpened opened = Open(file.Path());
        EXPECT_EQ(opened.Error, "");
        EXPECT_EQ(opened.Report, plain.Report);
    }
}

TEST_F(EncryptedReport, Aes256PasswordsAreTriedPreparedThenAsGiven) {
    const std::string numeralNine = "\xE2\x85\xA8";  // SASLprep: "IX"
    const std::string long127(127, 'p');
    struct Case {
        std::string Stored;  // the password bytes qpdf encrypts with
        std::string Given;
        const char* Kind;  // "" when refused
    };
    const Case cases[] = {
        {"IX", "I\xC2\xADX", "user"},      // soft hyphen mapped to nothing
        {"IX", numeralNine, "user"},        // NFKC
        {numeralNine, numeralNine, "user"},  // a writer that skipped SASLprep
        {"a\x07z", "a\x07z", "user"},        // prohibited: taken as given
        {"IX", "ix", ""},
        {long127, long127 + "extra", "user"},  // cut to 127 bytes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Given);
        const std::string file =
            Write("--password-mode=bytes", Quoted(c.Stored) + " owner 256", "encrypted.pdf");
        EXPECT_EQ(Open(file, c.Given).Password, c.Kind);
    }
}
