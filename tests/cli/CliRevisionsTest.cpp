// lumerra revisions, and --revision N on info and decode.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "CliRun.h"
#include "support/SignedDocument.h"

using namespace lumerra::test;

namespace {

// Signed with one page; the update changes that page's content and adds a
// second page (5, content 7).
struct TwoRevisions {
    TwoRevisions() : Document({}, [](std::vector<long long>&) {}) {
        First = Document.Builder.Build();
        PdfBuilder& builder = Document.Builder;
        builder.NewRevision().Root(1);
        builder.Set(2, "<< /Type /Pages /Kids [3 0 R 8 0 R] /Count 2 >>");
        builder.SetStream(4, "", "BT /F1 12 Tf (changed) Tj ET");
        builder.Set(8, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 7 0 R >>");
        builder.SetStream(7, "", "BT /F1 12 Tf (second page) Tj ET");
        Bytes = builder.Build();
    }
    SignedDocument Document;
    std::string First;  // the file as its first revision left it
    std::string Bytes;
};

TEST(CliRevisions, OneLinePerRevisionThenTheSignatures) {
    const TwoRevisions two;
    const TempFile file(two.Bytes);
    const std::vector<size_t>& xref = two.Document.Builder.XrefOffsets();
    const std::vector<int64_t> ends = MarkerLineEnds(two.Bytes);
    const std::vector<long long>& range = two.Document.ByteRange;
    const RunResult text = RunCli({"revisions", file.Path()});
    ASSERT_EQ(text.ExitCode, 0) << text.Err;
    EXPECT_EQ(text.Out, "file: " + file.Path() + "\n" +                                             //
                            "revision 1: table at " + std::to_string(xref[0]) + ", bytes 0\u2013" +  //
                            std::to_string(ends[0]) + ", added 1 2 3 4 5 6, trailer /Root\n" +        //
                            "revision 2: table at " + std::to_string(xref[1]) + ", bytes " +         //
                            std::to_string(ends[0]) + "\u2013" + std::to_string(ends[1]) +           //
                            ", added 7 8, changed 2 4\n" +                                           //
                            "signature 5: byte range 0 " + std::to_string(range[1]) + " " +          //
                            std::to_string(range[2]) + " " + std::to_string(range[3]) +              //
                            ", covers revision 1, changed after 2 4 7 8\n" +                         //
                            "signature 5: approval, subfilter adbe.pkcs7.detached, integrity failed\n" +                //
                            "signature 5: revision 2: other, no-permission-declared\n" +              //
                            "after last %%EOF: 0 bytes\n");

    const RunResult json = RunCli({"revisions", "--json", file.Path(), file.Sibling("missing.pdf")});
    EXPECT_EQ(json.ExitCode, 1);
    const size_t newline = json.Out.find('\n');
    const auto document = nlohmann::json::parse(json.Out.substr(0, newline));
    EXPECT_EQ(document["file"], file.Path());
    ASSERT_EQ(document["revisions"].size(), 2u);
    const auto& second = document["revisions"][1];
    EXPECT_EQ(second["revision"], 2);
    EXPECT_EQ(second["xref"], "table");
    EXPECT_EQ(second["offset"], xref[1]);
    EXPECT_EQ(second["start"], ends[0]);
    EXPECT_EQ(second["end"], ends[1]);
    EXPECT_EQ(second["added"], nlohmann::json({7, 8}));
    EXPECT_EQ(second["changed"], nlohmann::json({2, 4}));
    EXPECT_EQ(second["freed"], nlohmann::json::array());
    EXPECT_EQ(document["revisions"][0]["trailer-changed"], nlohmann::json({"/Root"}));
    EXPECT_EQ(document["signatures"],
              nlohmann::json::parse(R"([{"object": 5, "byte-range": [)" + std::to_string(range[0]) + "," +
                                    std::to_string(range[1]) + "," + std::to_string(range[2]) + "," +
                                    std::to_string(range[3]) + R"(], "revision": 1, "changed-after": [2, 4, 7, 8],
                                    "kind": "approval", "subfilter": "adbe.pkcs7.detached",
                                    "permissions": {"docmdp": null, "fieldmdp": [], "ur3": false}, "integrity": "failed",
                                    "later": [{"revision": 2, "level": "other", "verdict": "no-permission-declared",
                                               "objects": [{"object": 2, "role": "page tree", "level": "other"},
                                                           {"object": 4, "role": "page 1 content", "level": "other"},
                                                           {"object": 7, "role": "page 2 content", "level": "other"},
                                                           {"object": 8, "role": "page 2", "level": "other"}]}]}])"));
    EXPECT_EQ(document["findings"], nlohmann::json::array());
    EXPECT_EQ(document["after-last-eof"], 0);
    EXPECT_EQ(nlohmann::json::parse(json.Out.substr(newline + 1))["file"], file.Sibling("missing.pdf"));
}

TEST(CliRevisions, RevisionOneReadsTheFirstVersion) {
    const TwoRevisions two;
    const TempFile file(two.Bytes);
    const TempFile first(two.First);
    for (const char* reading : {"--extended", ""}) {
        SCOPED_TRACE(reading);
        std::vector<std::string> info = {"info", "--revision", "1", file.Path()};
        if (*reading != '\0') info.insert(info.begin() + 1, reading);
        const RunResult old = RunCli(info);
        ASSERT_EQ(old.ExitCode, 0) << old.Err;
        EXPECT_NE(old.Out.find("\npages: 1\n"), std::string::npos) << old.Out;
        info[info.size() - 2] = "2";
        EXPECT_NE(RunCli(info).Out.find("\npages: 2\n"), std::string::npos);
    }
    // The report of revision 1 is the report of the file as it was then.
    const RunResult report = RunCli({"decode", "--revision", "1", "-o", "-", file.Path()});
    ASSERT_EQ(report.ExitCode, 0) << report.Err;
    EXPECT_EQ(report.Out, RunCli({"decode", "-o", "-", first.Path()}).Out);
    EXPECT_NE(report.Out.find("(signed)"), std::string::npos);
    // So are its findings, the file's name aside.
    const auto findings = [](const std::vector<std::string>& Args) {
        std::string out = RunCli(Args).Out;
        for (size_t at; (at = out.find(Args.back())) != std::string::npos;) out.replace(at, Args.back().size(), "F");
        return out;
    };
    EXPECT_EQ(findings({"check", "--revision", "1", file.Path()}), findings({"check", first.Path()}));
}

}  // namespace
