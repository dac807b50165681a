// "lumerra check": text and JSON Lines tell the same findings, and the exit
// code says whether any is an error.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/CliRun.h"
#include "cli/CliTools.h"
#include "support/PdfBuilder.h"

using namespace lumerra::test;

namespace {

std::string Faulty() {
    return PdfBuilder::SimpleDocument({"q BT /F1 12 Tf (a) Tj ET", "BT /F2 1 Tf ET", "0 0 m 1 1 l S"},
                                      "<< /Font << /F1 << /Type /Font >> >> >>")
        .Build();
}

TEST(CliCheck, TextAndJsonTellTheSameFindingsAndErrorsExitWithThree) {
    TempFile file(Faulty());
    const RunResult text = RunCli({"check", file.Path()});
    EXPECT_EQ(text.ExitCode, 3) << text.Err;
    const std::string& f = file.Path();
    const std::vector<std::string> expected = {
        f + ": page 1, object 4, offset 0: error save-restore (q): q が 1 個、Q で閉じられていません。",
        f + ": page 2, object 6, offset 9, operand-offset 3: error undeclared-resource (Tf): リソース /Font に /F2 が宣言されていません。",
        f + ": page 2: info unused-resource: リソース /Font の /F1 は使われていません。",
        f + ": page 3: info unused-resource: リソース /Font の /F1 は使われていません。",
        f + ": error 2, warning 0, info 2",
    };
    EXPECT_EQ(Lines(text.Out), expected);

    const RunResult json = RunCli({"check", "--json", file.Path()});
    EXPECT_EQ(json.ExitCode, 3);
    const std::vector<std::string> lines = Lines(json.Out);
    ASSERT_EQ(lines.size(), expected.size());
    const auto first = nlohmann::json::parse(lines[0]);
    EXPECT_EQ(first, nlohmann::json::parse(R"({"file":")" + f + R"(","page":1,"object":4,"form":null,"offset":0,)"
                                           R"("operator":"q","severity":"error","code":"save-restore",)"
                                           R"("message":"q が 1 個、Q で閉じられていません。","message-code":"save-not-restored"})"));
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        const auto line = nlohmann::json::parse(lines[i]);
        EXPECT_NE(expected[i].find(line["message"].get<std::string>()), std::string::npos) << lines[i];
        EXPECT_NE(expected[i].find(line["severity"].get<std::string>() + " " + line["code"].get<std::string>()),
                  std::string::npos);
    }
    EXPECT_EQ(nlohmann::json::parse(lines.back())["counts"],
              nlohmann::json::parse(R"({"error":2,"warning":0,"info":2})"));
}

TEST(CliCheck, PagesCleanFilesAndUnreadableFiles) {
    TempFile file(Faulty());
    const RunResult clean = RunCli({"check", "--pages", "3", file.Path()});
    EXPECT_EQ(clean.ExitCode, 0) << clean.Err;
    EXPECT_EQ(Lines(clean.Out).size(), 2u) << clean.Out;

    const std::string missing = file.Sibling("missing.pdf");
    const RunResult failed = RunCli({"check", "--json", missing, file.Path()});
    EXPECT_EQ(failed.ExitCode, 1);
    const auto error = nlohmann::json::parse(Lines(failed.Out).at(0));
    EXPECT_EQ(error["file"], missing);
    EXPECT_TRUE(error.contains("error"));
    EXPECT_NE(failed.Err.find("lumerra: " + missing + ": "), std::string::npos);
    EXPECT_EQ(Lines(failed.Out).size(), 6u) << "the other file is still checked";

    EXPECT_EQ(RunCli({"check", "--pages", "9", file.Path()}).ExitCode, 1);
}

// Nothing read is no clean file: a file without a page tree, and a page
// whose stream cannot be decoded, exit with 3 and say why, in text and JSON.
TEST(CliCheck, WhatWasNotCheckedIsAnError) {
    PdfBuilder noTree;
    noTree.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    noTree.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    noTree.Set(3, "(not a page)");
    noTree.Root(1);
    TempFile withoutPages(noTree.Build());
    const RunResult none = RunCli({"check", withoutPages.Path()});
    EXPECT_EQ(none.ExitCode, 3) << none.Err;
    EXPECT_EQ(Lines(none.Out).at(0), withoutPages.Path() + ": error no-pages: ページを検査していません（ページツリーにページが見つかりません）。");

    TempFile damaged(PdfBuilder::SimpleDocument({""}).SetStream(4, "/Filter /FlateDecode", "not compressed").Build());
    const RunResult json = RunCli({"check", "--json", damaged.Path()});
    EXPECT_EQ(json.ExitCode, 3) << json.Err;
    const auto first = nlohmann::json::parse(Lines(json.Out).at(0));
    EXPECT_EQ(first["code"], "unchecked");
    EXPECT_EQ(first["object"], 4);
    EXPECT_EQ(first["message-code"], "stream-unreadable");
}

// Threads check pages ahead of the one written: the findings, their order,
// the lines of findings left out, the counts and the exit code are those of
// one thread, in text and JSON, over all pages and over a range.
TEST(CliCheck, ThreadsGiveWhatOneThreadGives) {
    std::string flood;
    for (int i = 0; i < 250; ++i) flood += "Q ";
    std::vector<std::string> contents;
    for (int page = 0; page < 40; ++page)
        contents.push_back(page % 9 == 4 ? flood
                           : page % 3 == 0 ? "q BT /F1 12 Tf (a) Tj ET"
                           : page % 5 == 1 ? "/Fm0 Do /Fm0 Do"
                                           : "BT /F1 1 Tf [(a) -2 (b)] TJ ET 0 0 m 1 1 l S");
    PdfBuilder builder = PdfBuilder::SimpleDocument(
        contents, "<< /Font << /F1 << /Type /Font >> >> /XObject << /Fm0 200 0 R >> >>");
    builder.SetStream(200, "/Type /XObject /Subtype /Form /BBox [0 0 1 1]", "Q BT /F9 1 Tf ET ET");
    builder.SetStream(4 + 2 * 17, "/Filter /FlateDecode", "not compressed");
    TempFile file(builder.Build());

    const std::vector<std::vector<std::string>> options = {{}, {"--json"}, {"--pages", "5-33"}, {"--json", "--pages", "12-"}};
    for (const std::vector<std::string>& option : options) {
        std::vector<std::string> args = {"check", "-j", "1"};
        args.insert(args.end(), option.begin(), option.end());
        args.push_back(file.Path());
        const RunResult one = RunCli(args);
        ASSERT_EQ(one.ExitCode, 3) << one.Err;
        ASSERT_GT(Lines(one.Out).size(), 20u);
        for (const char* threads : {"2", "4", "64"}) {
            args[2] = threads;
            const RunResult several = RunCli(args);
            EXPECT_EQ(several.ExitCode, one.ExitCode) << threads;
            EXPECT_EQ(several.Out, one.Out) << "-j " << threads << " " << (option.empty() ? "" : option[0]);
            EXPECT_EQ(several.Err, one.Err) << threads;
        }
    }
}

}  // namespace
