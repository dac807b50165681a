// "lumerra triage": the report's two forms, several files, and the exit
// codes of files that cannot be read or do not load.
#include <gtest/gtest.h>

#include <iterator>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "cli/CliRun.h"

using namespace lumerra::test;

namespace {

// Catalog 1 (opening action 4), pages 2, page 3, and in revision 2 an
// action 4 written with an escaped name; the objects sit in object
// streams, so the raw bytes hide /JS. Blank lines follow the last %%EOF.
std::string ActingDocument() {
    PdfBuilder::Options options;
    options.XrefStreams = options.ObjectStreams = true;
    options.Tail = "\r\n";
    PdfBuilder pdf(options);
    pdf.Add("<< /Type /Catalog /Pages 2 0 R /OpenAction 4 0 R >>");
    pdf.Add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    pdf.Add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 10 10] >>");
    pdf.Add("null");
    pdf.NewRevision().Set(4, "<< /S /J#61vaScript /JS (app.alert\\(1\\)) >>");
    return pdf.Build() + "\n\n\n\n";
}

std::string LineOf(const std::string& Text, const std::string& Start) {
    const size_t at = Text.find("\n " + Start + " ");
    return at == std::string::npos ? "" : Text.substr(at + 1, Text.find('\n', at + 1) - at - 1);
}

}  // namespace

TEST(CliTriage, TextAndJsonGiveRawCountsAndObjects) {
    TempFile pdf(ActingDocument(), "acting.pdf");
    const RunResult text = RunCli({"triage", pdf.Path()});
    EXPECT_EQ(text.ExitCode, 0) << text.Err;
    EXPECT_EQ(text.Err, "");
    EXPECT_EQ(text.Out.substr(0, text.Out.find('\n')), "File: " + pdf.Path());
    EXPECT_EQ(LineOf(text.Out, "PDF"), " PDF Header: %PDF-1.4");
    EXPECT_EQ(LineOf(text.Out, "/JS"), " /JS                    0  objects 4");
    EXPECT_EQ(LineOf(text.Out, "/OpenAction"), " /OpenAction            0  objects 1");
    EXPECT_EQ(LineOf(text.Out, "%%EOF"), " %%EOF                  2");
    EXPECT_EQ(LineOf(text.Out, "After"), " After last %%EOF       4");

    const RunResult json = RunCli({"triage", "--json", pdf.Path()});
    EXPECT_EQ(json.ExitCode, 0);
    const auto report = nlohmann::ordered_json::parse(json.Out);
    std::vector<std::string> keys;
    for (const auto& item : report.items()) keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"file", "header", "keywords", "eof-markers", "after-last-eof"}));
    EXPECT_EQ(report["header"], "%PDF-1.4");
    EXPECT_EQ(report["keywords"].size(), 21u);
    EXPECT_EQ(report["keywords"].items().begin().key(), "obj");
    EXPECT_EQ(std::prev(report["keywords"].end()).key(), "/Colors > 2^24");
    EXPECT_EQ(report["keywords"]["/Colors > 2^24"], nlohmann::json({{"raw", 0}}));
    EXPECT_EQ(report["keywords"]["obj"], nlohmann::json({{"raw", 4}}));
    EXPECT_EQ(report["keywords"]["/ObjStm"]["objects"], nlohmann::json({5, 7}));
    EXPECT_EQ(report["keywords"]["/JavaScript"], nlohmann::ordered_json::parse(R"({"raw":0,"raw-escaped":0,"objects":[4]})"));
    EXPECT_EQ(report["eof-markers"], 2);
    EXPECT_EQ(report["after-last-eof"], 4);
}

TEST(CliTriage, FilesThatFailAreToldAndTheOthersStillReported) {
    TempFile pdf(ActingDocument(), "acting.pdf");
    const std::string notPdf = pdf.Sibling("notes.pdf");
    WriteFileBytes(notPdf, "/JS /J#53 no header /C#6flors 016777217 16777216 /Colors 99999999 ");
    const std::string missing = pdf.Sibling("missing.pdf");

    const RunResult r = RunCli({"triage", "--json", missing, notPdf, pdf.Path()});
    EXPECT_EQ(r.ExitCode, 1);
    std::istringstream lines(r.Out);
    std::string line;
    std::vector<nlohmann::json> reports;
    while (std::getline(lines, line)) reports.push_back(nlohmann::json::parse(line));
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0]["file"], missing);
    EXPECT_TRUE(reports[0].contains("error"));
    EXPECT_FALSE(reports[0].contains("keywords"));
    // Raw counts without a header or a structure to read.
    EXPECT_EQ(reports[1]["header"], nullptr);
    EXPECT_EQ(reports[1]["keywords"]["/JS"], nlohmann::json({{"raw", 2}, {"raw-escaped", 1}}));
    EXPECT_EQ(reports[1]["keywords"]["/Colors > 2^24"], nlohmann::json({{"raw", 2}}));
    EXPECT_EQ(reports[1]["after-last-eof"], nullptr);
    EXPECT_TRUE(reports[1].contains("error"));
    EXPECT_FALSE(reports[2].contains("error"));
    EXPECT_NE(r.Err.find("lumerra: " + missing + ": "), std::string::npos);
    EXPECT_NE(r.Err.find("lumerra: " + notPdf + ": "), std::string::npos);

    const RunResult text = RunCli({"triage", notPdf, pdf.Path()});
    EXPECT_EQ(text.ExitCode, 1);
    EXPECT_NE(text.Out.find(" PDF Header: \n"), std::string::npos);
    EXPECT_NE(text.Out.find("\n /XFA                   0\n /Colors > 2^24         2\n %%EOF"), std::string::npos);
    EXPECT_NE(text.Out.find("\n\nFile: " + pdf.Path() + "\n"), std::string::npos);  // a blank line between files
}
