// lumerra revisions on files whose history is not a clean chain: encrypted
// without a password, no page tree, junk before the header, sections the
// chain does not reach, a chain that breaks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include <nlohmann/json.hpp>

#include "CliRun.h"
#include "support/PdfBuilder.h"

using namespace lumerra::test;

namespace {

PdfBuilder TwoRevisions() {
    PdfBuilder builder = PdfBuilder::SimpleDocument({"BT ET"});
    builder.NewRevision().Root(1).Set(5, "<< /Second true >>");
    return builder;
}

std::string Codes(const nlohmann::json& Document) {
    std::string codes;
    for (const auto& diagnostic : Document["diagnostics"]) codes += diagnostic["code"].get<std::string>() + " ";
    return codes;
}

TEST(CliRevisionsEveryFile, EachShapeGivesItsRevisionsAndSaysWhatWasUnusual) {
    std::string noPageTree;
    {
        PdfBuilder builder;
        builder.Set(1, "<< /Type /Catalog >>").Root(1);
        builder.NewRevision().Root(1).Set(2, "<< >>");
        noPageTree = builder.Build();
    }
    PdfBuilder unlinked = TwoRevisions();
    unlinked.NewRevision().Root(1).Set(6, "<< >>").Trailer("<< /Size 7 /Root 1 0 R >>\n");
    PdfBuilder broken = TwoRevisions();
    broken.Trailer("<< /Size 6 /Root 1 0 R /Prev 99999 >>\n");

    struct TCase {
        const char* Name;
        std::string Bytes;
        size_t Revisions;
        size_t Unlinked;
        const char* Codes;
    };
    const TCase cases[] = {
        {"clean", TwoRevisions().Build(), 2, 0, ""},
        {"no page tree", noPageTree, 2, 0, ""},
        {"junk before the header", std::string(81, 'j') + TwoRevisions().Build(), 2, 0, ""},
        {"an update whose /Prev was lost", unlinked.Build(), 1, 2, ""},
        // The load rebuilt the table; the revisions come from the markers.
        {"a /Prev that points nowhere", broken.Build(), 2, 0, "table-rebuilt revisions-from-markers "},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TempFile file(c.Bytes);
        const RunResult run = RunCli({"revisions", "--json", file.Path()});
        ASSERT_EQ(run.ExitCode, 0) << run.Err;
        const auto document = nlohmann::json::parse(run.Out);
        EXPECT_EQ(document["revisions"].size(), c.Revisions);
        EXPECT_EQ(document["unlinked"].size(), c.Unlinked);
        EXPECT_EQ(Codes(document), c.Codes);
        // Every byte of the file is in one revision or unlinked section.
        int64_t covered = 0;
        for (const char* list : {"revisions", "unlinked"})
            for (const auto& part : document[list]) covered += part["end"].get<int64_t>() - part["start"].get<int64_t>();
        EXPECT_EQ(covered + document["after-last-eof"].get<int64_t>(), static_cast<int64_t>(c.Bytes.size()));
    }
}

// Tables and cross-reference streams are not encrypted: without a password
// the revisions are read all the same, and the file is said to be locked
// (the failure table holds a password given and refused to be an error).
TEST(CliRevisionsEveryFile, AnEncryptedFileNeedsNoPassword) {
    const TempFile plain(TwoRevisions().Build());
    const std::string encrypted = plain.Sibling("encrypted.pdf");
    const std::string command = "qpdf --object-streams=generate --encrypt user owner 256 -- " + plain.Path() + " " +
                                encrypted + " 2>/dev/null";
    if (std::system(command.c_str()) != 0) GTEST_SKIP() << "qpdf is not installed";
    const RunResult locked = RunCli({"revisions", "--json", encrypted});
    ASSERT_EQ(locked.ExitCode, 0) << locked.Err;
    const auto document = nlohmann::json::parse(locked.Out);
    EXPECT_EQ(document["revisions"].size(), 1u);
    EXPECT_EQ(Codes(document), "encrypted-left-locked ");
}

// --revision N cuts the file where revision N ends in the file's own bytes,
// junk before the header and all.
TEST(CliRevisionsEveryFile, ARevisionOfAFileWithJunkBeforeItsHeader) {
    const std::string junk(81, 'j');
    PdfBuilder builder = TwoRevisions();
    const std::string whole = builder.Build();
    const std::string first = whole.substr(0, whole.find("%%EOF") + 6);
    const TempFile withJunk(junk + whole);
    const TempFile firstWithJunk(junk + first);
    const auto report = [](const std::vector<std::string>& Args) {
        const std::string out = RunCli(Args).Out;
        return out.substr(std::min(out.size(), out.find('\n')));  // past the line naming the file
    };
    const std::string cut = report({"info", "--extended", "--revision", "1", withJunk.Path()});
    EXPECT_EQ(cut, report({"info", "--extended", firstWithJunk.Path()}));
    EXPECT_NE(cut.find("\npages: 1\n"), std::string::npos) << cut;
}

}  // namespace
