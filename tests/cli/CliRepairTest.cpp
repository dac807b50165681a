// What extended reading mends on its own, and tells beside the result: a
// table whose offsets do not hold the objects they name, and stream data
// that no "endstream" follows.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "CliRun.h"
#include "support/PdfBuilder.h"

using namespace lumerra::test;

namespace {

// Two pages, each with its own content stream (objects 4 and 6).
PdfBuilder TwoPages() { return PdfBuilder::SimpleDocument({"BT (one) Tj ET", "BT (two) Tj ET"}); }

// Two revisions: the first one's table numbers its subsection from 1
// instead of 0, so that every offset is one object off; the update
// rewrites the catalog, the page tree and the first page correctly. Page 5
// is read only through the first table.
std::string TableOneOff() {
    PdfBuilder b = TwoPages();
    b.NewRevision();
    b.Set(1, "<< /Type /Catalog /Pages 2 0 R /Lang (en) >>");
    b.Set(2, "<< /Type /Pages /Kids [3 0 R 5 0 R] /Count 2 /Rotate 0 >>");
    b.Set(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 10 10] /Contents 4 0 R /Rotate 0 >>");
    b.Root(1);
    std::string bytes = b.Build();
    const size_t table = bytes.find("xref\n0 7\n");
    bytes.replace(table, 9, "xref\n1 7\n");
    return bytes;
}

// Repairs are told in the user's language; these tests read the English.
Launch English() {
    Launch how;
    how.Locale = {"LANG=C.UTF-8"};
    return how;
}

}  // namespace

TEST(CliRepair, ATableOneObjectOffIsRebuiltOnceAndTold) {
    TempFile pdf(TableOneOff(), "oneoff.pdf");
    const std::string told = "lumerra: " + pdf.Path() + ": object 5: offset ";
    const RunResult info = RunCli({"info", "--extended", pdf.Path()}, English());
    EXPECT_EQ(info.ExitCode, 0) << info.Err;
    EXPECT_NE(info.Out.find("\npages: 2\n"), std::string::npos) << info.Out;
    EXPECT_NE(info.Out.find("\npage-list: 3 5\n"), std::string::npos) << info.Out;
    EXPECT_NE(info.Out.find("\nrepaired: yes\n"), std::string::npos) << info.Out;
    EXPECT_EQ(info.Err.rfind(told, 0), 0u) << info.Err;

    const RunResult decode = RunCli({"decode", "--extended", "--no-comments", "-o", "-", pdf.Path()});
    EXPECT_EQ(decode.ExitCode, 0) << decode.Err;
    EXPECT_NE(decode.Out.find("BT (one) Tj ET"), std::string::npos) << decode.Out;
    EXPECT_NE(decode.Out.find("BT (two) Tj ET"), std::string::npos) << decode.Out;

    const RunResult triage = RunCli({"triage", pdf.Path()});
    EXPECT_EQ(triage.ExitCode, 0) << triage.Err;
    EXPECT_NE(triage.Out.find(" objects 3 5\n"), std::string::npos) << triage.Out;
}

// Once loaded, an object the load did not read (a content stream) whose
// offset holds another object is found by one pass over the file.
TEST(CliRepair, AnObjectNotWhereTheTableSaysIsFoundAfterTheLoad) {
    PdfBuilder b = TwoPages();
    std::string bytes = b.Build();
    char wrong[11];
    std::snprintf(wrong, sizeof wrong, "%010zu", b.Offsets().at(4));
    bytes.replace(bytes.find("xref\n0 7\n") + 9 + 6 * 20, 10, wrong);
    TempFile pdf(bytes, "misplaced.pdf");
    for (const std::string threads : {"1", "2"}) {
        const RunResult r =
            RunCli({"decode", "--extended", "--no-comments", "-j", threads, "-o", "-", pdf.Path()}, English());
        EXPECT_EQ(r.ExitCode, 0) << r.Err;
        EXPECT_NE(r.Out.find("BT (two) Tj ET"), std::string::npos) << r.Out;
        EXPECT_EQ(r.Err, "lumerra: " + pdf.Path() + ": object 6: offset " + std::to_string(b.Offsets().at(4)) +
                             " holds object 4\n");
    }
}

TEST(CliRepair, DataThatNoEndstreamFollowsIsDecodedAndTold) {
    PdfBuilder b = PdfBuilder::SimpleDocument({""});
    b.Set(4, "<< /Length 14 >>\nstream\nBT (one) Tj ET\nendobj\n");
    TempFile pdf(b.Build(), "noend.pdf");
    const RunResult r = RunCli({"decode", "--extended", "--no-comments", "-o", "-", pdf.Path()}, English());
    EXPECT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_NE(r.Out.find("BT (one) Tj ET"), std::string::npos) << r.Out;
    EXPECT_EQ(r.Err.rfind("lumerra: " + pdf.Path() + ": page 1, object 4: no endstream after its data (offset ", 0), 0u)
        << r.Err;
}
