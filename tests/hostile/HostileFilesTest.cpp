// Files that are no PDF files at all, that cannot be read, that change while
// they are open, and cross-reference tables that claim what the file cannot
// hold: each ends in a report or a clear message.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/Exceptions.h"
#include "hostile/HostileDocuments.h"
#include "pdf/DefaultAnalyst.h"
#include "pdf/PDFAnalyst.h"
#include "support/PdfBuilder.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

const std::string MsgBroken = "このファイルは壊れています";
const std::string MsgXrefPosition = "相互参照テーブルの位置が不正です。";
const std::string MsgXrefFirst = "相互参照テーブルの先頭オブジェクト番号が不正です。";
const std::string MsgXrefCount = "相互参照テーブルの項目数が不正です。";

std::string Load(const std::string& Path) {
    TDefaultAnalyst analyst;
    analyst.LoadFromFile(Path);
    return "loaded";
}

// Three pages with Flate content, large enough that a cut lands inside it.
std::string ThreePages() {
    PdfBuilder pdf = PdfBuilder::SimpleDocument({"", "", ""});
    for (int page = 3; page <= 7; page += 2) {
        std::string content;
        for (int i = 0; i < 2000; ++i) content += "BT /F1 12 Tf " + std::to_string(i * page) + " 0 Td (x) Tj ET\n";
        pdf.SetStream(page + 1, "/Filter /FlateDecode", Deflate(content));
    }
    return pdf.Build();
}

}  // namespace

TEST(HostileFiles, FilesThatCannotBeReadAreRefusedWhenOpened) {
    TempFile empty("", "empty.pdf");
    TempFile four("%PDF", "four.pdf");
    TempFile unreadable(ThreePages(), "unreadable.pdf");
    ASSERT_EQ(::chmod(unreadable.Path().c_str(), 0), 0);
    const std::string folder = empty.Sibling("folder.pdf");
    std::filesystem::create_directory(folder);
    struct Case {
        std::string Name, Path;
        std::string Message;  // the whole message; "" when only a part is known
        std::string Part;
    };
    std::vector<Case> cases = {
        {"0-byte file", empty.Path(), MsgBroken, ""},
        {"4-byte file", four.Path(), MsgBroken, ""},
        {"folder", folder, "", "folder"},
    };
    // Root reads files whatever their permissions.
    if (::geteuid() != 0) cases.push_back({"unreadable file", unreadable.Path(), "", ""});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const TCaseOutcome outcome = RunCase(c.Name, [&] { return Load(c.Path); });
        ExpectMessage(outcome, c.Message);
        EXPECT_NE(outcome.Text.find(c.Part), std::string::npos) << outcome.Text;
    }
}

TEST(HostileFiles, FileChangedWhileOpenGivesReportOrMessage) {
    const std::string bytes = ThreePages();
    struct Case {
        std::string Name;
        std::function<void(const std::string& Path)> Change;
        bool Reported;  // still reported in full, from the file as it was opened
    };
    std::vector<Case> cases = {
        {"vanished file", [](const std::string& Path) { std::filesystem::remove(Path); }, true},
        // Same size, different bytes: every offset now points at junk.
        {"overwritten file",
         [&](const std::string& Path) { WriteFileBytes(Path, std::string(bytes.size(), '(')); }, false},
    };
    for (const size_t keep : {size_t{0}, size_t{4}, bytes.size() / 3, bytes.size() / 2, bytes.size() - 40})
        cases.push_back({"truncated to " + std::to_string(keep),
                         [keep](const std::string& Path) { std::filesystem::resize_file(Path, keep); }, false});
    for (const Case& c : cases) {
        for (const bool comments : {true, false}) {
            TempFile file(bytes);
            const std::string name = c.Name + (comments ? ", comments" : "");
            SCOPED_TRACE(name);
            const TCaseOutcome outcome = RunCase(name, [&] {
                return WriteReport(file.Path(), file.Sibling("out.txt"), comments, false, 1,
                                   [&] { c.Change(file.Path()); });
            });
            ExpectClearOutcome(outcome);
            if (c.Reported) {
                ExpectReport(outcome);
                EXPECT_EQ(outcome.Text.rfind("pages=3 ", 0), 0u) << outcome.Text;
            }
        }
    }
}

// Cross-reference tables that claim what the file cannot hold are refused;
// real ones, however large or long their chain, are read in bounded memory.
TEST(HostileFiles, CrossReferenceTablesEndInReportOrMessage) {
    const std::string good = PdfBuilder::SimpleDocument({"0 0 m"}).Build();
    const auto at = good.find("xref\n0 ");
    ASSERT_NE(at, std::string::npos);
    const auto lineEnd = good.find('\n', at + 5);
    auto withHeader = [&](const std::string& header) {
        return good.substr(0, at + 5) + header + good.substr(lineEnd);
    };
    struct Case {
        std::string Name, Bytes;
        std::string Message;  // "" when the report comes out, for pages=1
    };
    const std::vector<Case> cases = {
        {"xref 0 4000000", withHeader("0 4000000"), MsgXrefCount},
        {"xref 0 2147483647", withHeader("0 2147483647"), MsgXrefCount},
        {"xref 2147483000 5", withHeader("2147483000 5"), MsgXrefFirst},
        {"xref 2000000000 1", withHeader("2000000000 1"), MsgXrefFirst},
        {"xref 0 -5", withHeader("0 -5"), MsgXrefCount},
        {"xref -3 5", withHeader("-3 5"), MsgXrefFirst},
        {"/Prev to itself", [] {
             PdfBuilder loop = PdfBuilder::SimpleDocument({"0 0 m"});
             loop.NewRevision().Set(9, "<< >>").PrevTo(1);
             return loop.Build();
         }(), MsgXrefPosition},
        {"3,000 revisions", [] {
             PdfBuilder chain = PdfBuilder::SimpleDocument({"0 0 m"});
             for (int i = 0; i < 3000; ++i) chain.NewRevision().Set(10 + i % 50, "<< /Revision " + std::to_string(i) + " >>");
             return chain.Build();
         }(), ""},
        // 400,000 real entries (8 MB of table): the table is sized by them, once.
        {"400,000 xref entries", [] {
             PdfBuilder pdf = PdfBuilder::SimpleDocument({"0 0 m"});
             pdf.Build();  // places the objects; the table comes after them
             std::string body = "0 400000\n" + pdf.Entry(0, 65535, 'f');
             for (int n = 1; n < 400000; ++n)
                 body += pdf.Entry(n <= 4 ? static_cast<long long>(pdf.Offsets().at(n)) : 0, 0, n <= 4 ? 'n' : 'f');
             return pdf.XrefBody(body).Build();
         }(), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TempFile file(c.Bytes);
        const TCaseOutcome outcome = RunCase(c.Name, [&] { return WriteReport(file.Path(), file.Sibling("out.txt"), true); });
        if (c.Message.empty()) {
            ExpectReport(outcome);
            EXPECT_EQ(outcome.Text.rfind("pages=1 ", 0), 0u) << outcome.Text;
        } else {
            ExpectMessage(outcome, c.Message);
        }
    }
}
