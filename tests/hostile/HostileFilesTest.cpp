// Files that are no PDF files at all, that cannot be read, that change while
// they are open, and cross-reference tables that claim what the file cannot
// hold: each ends in a report or a clear message.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "common/Exceptions.h"
#include "decoder/PDFLumerra.h"
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
    PdfBuilder pdf;
    pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    pdf.Set(2, "<< /Type /Pages /Kids [3 0 R 5 0 R 7 0 R] /Count 3 >>");
    for (int page = 3; page <= 7; page += 2) {
        std::string content;
        for (int i = 0; i < 2000; ++i) content += "BT /F1 12 Tf " + std::to_string(i * page) + " 0 Td (x) Tj ET\n";
        pdf.Set(page, "<< /Type /Page /Parent 2 0 R /Contents " + std::to_string(page + 1) + " 0 R >>");
        pdf.SetStream(page + 1, "/Filter /FlateDecode", Deflate(content));
    }
    return pdf.Build();
}

// Loads the file, lets Change act on it while it is open, then writes the
// report.
std::string ReportAfter(const std::string& Path, const std::string& Report, bool WithComments,
                        const std::function<void()>& Change) {
    TDefaultAnalyst analyst;
    analyst.LoadFromFile(Path);
    Change();
    TIDList pages;
    analyst.GetPageList(&pages);
    TPDFLumerra decoder(&analyst);
    bool cancel = false;
    decoder.DecodeToFile(Report, 1, static_cast<int32_t>(pages.size()), WithComments, nullptr, cancel);
    return "pages=" + std::to_string(pages.size());
}

}  // namespace

TEST(HostileFiles, TooShortFilesAreBroken) {
    TempFile empty("", "empty.pdf");
    ExpectMessage(RunCase("0-byte file", [&] { return Load(empty.Path()); }), MsgBroken);
    TempFile four("%PDF", "four.pdf");
    ExpectMessage(RunCase("4-byte file", [&] { return Load(four.Path()); }), MsgBroken);
}

TEST(HostileFiles, FolderIsRefusedWhenOpened) {
    TempFile file("", "x.pdf");
    const std::string folder = file.Sibling("folder.pdf");
    std::filesystem::create_directory(folder);
    const TCaseOutcome outcome = RunCase("folder", [&] { return Load(folder); });
    ExpectMessage(outcome);
    EXPECT_NE(outcome.Text.find("folder"), std::string::npos) << outcome.Text;
}

TEST(HostileFiles, UnreadableFileIsRefusedWhenOpened) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads files whatever their permissions";
    TempFile file(ThreePages());
    ASSERT_EQ(::chmod(file.Path().c_str(), 0), 0);
    ExpectMessage(RunCase("unreadable file", [&] { return Load(file.Path()); }));
}

TEST(HostileFiles, FileThatShrinksWhileOpenGivesReportOrMessage) {
    const std::string bytes = ThreePages();
    for (const size_t keep : {size_t{0}, size_t{4}, bytes.size() / 3, bytes.size() / 2, bytes.size() - 40}) {
        for (const bool comments : {true, false}) {
            TempFile file(bytes);
            const std::string name = "truncated to " + std::to_string(keep) + (comments ? ", comments" : "");
            const TCaseOutcome outcome = RunCase(name, [&] {
                return ReportAfter(file.Path(), file.Sibling("out.txt"), comments,
                                   [&] { std::filesystem::resize_file(file.Path(), keep); });
            });
            SCOPED_TRACE(name);
            ExpectClearOutcome(outcome);
        }
    }
}

TEST(HostileFiles, FileThatVanishesWhileOpenIsStillReported) {
    TempFile file(ThreePages());
    const TCaseOutcome outcome = RunCase("vanished file", [&] {
        return ReportAfter(file.Path(), file.Sibling("out.txt"), true, [&] { std::filesystem::remove(file.Path()); });
    });
    ExpectReport(outcome);
    EXPECT_EQ(outcome.Text, "pages=3");
}

TEST(HostileFiles, FileOverwrittenWhileOpenGivesReportOrMessage) {
    const std::string bytes = ThreePages();
    TempFile file(bytes);
    ExpectClearOutcome(RunCase("overwritten file", [&] {
        return ReportAfter(file.Path(), file.Sibling("out.txt"), true, [&] {
            // Same size, different bytes: every offset now points at junk.
            WriteFileBytes(file.Path(), std::string(bytes.size(), '('));
        });
    }));
}

TEST(HostileFiles, CrossReferenceClaimsBeyondTheFileAreRefused) {
    const std::string good = PdfBuilder::SimpleDocument({"0 0 m"}).Build();
    const auto at = good.find("xref\n0 ");
    ASSERT_NE(at, std::string::npos);
    const auto lineEnd = good.find('\n', at + 5);
    auto withHeader = [&](const std::string& header) {
        return good.substr(0, at + 5) + header + good.substr(lineEnd);
    };
    struct TClaim {
        std::string Header;
        std::string Message;
    } claims[] = {
        {"0 4000000", MsgXrefCount},
        {"0 2147483647", MsgXrefCount},
        {"2147483000 5", MsgXrefFirst},
        {"2000000000 1", MsgXrefFirst},
        {"0 -5", MsgXrefCount},
        {"-3 5", MsgXrefFirst},
    };
    for (const auto& claim : claims) {
        TempFile file(withHeader(claim.Header));
        SCOPED_TRACE(claim.Header);
        ExpectMessage(RunCase("xref " + claim.Header, [&] { return Load(file.Path()); }), claim.Message);
    }
}

TEST(HostileFiles, LargeRealTableLoadsInBoundedMemory) {
    // 400,000 real entries (8 MB of table): the table is sized by them, once.
    PdfBuilder pdf;
    pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    pdf.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    pdf.Set(3, "<< /Type /Page /Parent 2 0 R >>");
    std::string body = "0 400000\n" + pdf.Entry(0, 65535, 'f');
    pdf.Build();  // places the objects; the table comes after them
    for (int n = 1; n < 400000; ++n) body += pdf.Entry(n <= 3 ? static_cast<long long>(pdf.Offsets().at(n)) : 0, 0, n <= 3 ? 'n' : 'f');
    pdf.XrefBody(body);
    TempFile file(pdf.Build());
    const TCaseOutcome outcome = RunCase("400,000 xref entries", [&] {
        return WriteReport(file.Path(), file.Sibling("out.txt"), true);
    });
    ExpectReport(outcome);
    EXPECT_EQ(outcome.Text.substr(0, 8), "pages=1 ");
}

TEST(HostileFiles, PrevChainsThatLoopOrRunLongEnd) {
    PdfBuilder loop = PdfBuilder::SimpleDocument({"0 0 m"});
    loop.NewRevision().Set(9, "<< >>").PrevTo(1);
    TempFile looped(loop.Build());
    ExpectMessage(RunCase("/Prev to itself", [&] { return Load(looped.Path()); }), MsgXrefPosition);

    PdfBuilder chain = PdfBuilder::SimpleDocument({"0 0 m"});
    for (int i = 0; i < 3000; ++i) chain.NewRevision().Set(10 + i % 50, "<< /Revision " + std::to_string(i) + " >>");
    TempFile longChain(chain.Build());
    const TCaseOutcome outcome = RunCase("3,000 revisions", [&] {
        return WriteReport(longChain.Path(), longChain.Sibling("out.txt"), true);
    });
    ExpectReport(outcome);
}
