// Every command over every way a file can go wrong: the exit code, the
// line on standard error, and the diagnostic record in the JSON output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "CliRun.h"

using namespace lumerra::test;

namespace {

std::string OnePage(const std::string& Content = "0 0 m 10 10 l S", const std::string& Dict = "") {
    return PdfBuilder::SimpleDocument({""}).SetStream(4, Dict, Content).Build();
}

// The table numbers its subsection from 1: every offset is one object off,
// and the table is rebuilt from the file.
std::string OneOff() {
    std::string bytes = OnePage();
    bytes.replace(bytes.find("xref\n0 5\n"), 9, "xref\n1 5\n");
    return bytes;
}

// Flate data that breaks off after its first bytes.
std::string DamagedData() {
    std::string data = Deflate("0 0 m 10 10 l S\n" + std::string(5000, ' '));
    data.resize(data.size() / 2);
    return OnePage(data + std::string(64, '\xff'), "/Filter /FlateDecode");
}

// The command's arguments with JSON output on standard output, read as
// extended reading reads files.
std::vector<std::string> Arguments(const std::string& Command, const std::vector<std::string>& Extra,
                                   const std::string& File) {
    std::vector<std::string> args = {Command, "--json"};
    if (Command == "info") args.push_back("--extended");
    if (Command == "decode") args.insert(args.end(), {"--extended", "-o", "-"});
    args.insert(args.end(), Extra.begin(), Extra.end());
    args.push_back(File);
    return args;
}

// The diagnostics of the last JSON line of Out.
nlohmann::json Diagnostics(const std::string& Out) {
    const size_t end = Out.find_last_not_of('\n');
    if (end == std::string::npos) return nullptr;
    const size_t start = Out.rfind('\n', end);
    const auto line = nlohmann::json::parse(Out.substr(start == std::string::npos ? 0 : start + 1, end + 1));
    return line.value("diagnostics", nlohmann::json());
}

TEST(CliFailure, EveryCommandToldAlikeWithItsExitCodeAndRecord) {
    const TempFile good(OnePage(), "good.pdf");
    const std::string notPdf = good.Sibling("notes.pdf"), repaired = good.Sibling("oneoff.pdf"),
                      damaged = good.Sibling("damaged.pdf"), encrypted = good.Sibling("encrypted.pdf");
    WriteFileBytes(notPdf, "plain text, no header /JS\n");
    WriteFileBytes(repaired, OneOff());
    WriteFileBytes(damaged, DamagedData());
    const bool qpdf =
        std::system(("qpdf --encrypt user owner 256 -- " + good.Path() + " " + encrypted + " 2>/dev/null").c_str()) == 0;
    EXPECT_TRUE(qpdf) << "no encrypted file (is qpdf installed?)";
    struct TCase {
        const char* Name;
        std::string File;
        std::vector<std::string> Extra;  // besides the command's own options
        std::vector<std::string> Commands;
        int ExitCode;
        const char* Code;  // the record's code; none where nothing is written
        const char* Severity;
    };
    const std::vector<std::string> all = {"info", "decode", "check", "revisions", "triage"};
    const std::vector<TCase> cases = {
        {"missing file", good.Sibling("missing.pdf"), {}, all, 1, "cannot-open-file", "error"},
        // Triage still gives the raw counts of a file it cannot load.
        {"not a PDF", notPdf, {}, all, 1, "not-pdf", "error"},
        {"damaged, repaired", repaired, {}, {"info", "decode", "check", "triage"}, 0, "table-rebuilt", "warning"},
        // Revisions read the table as written and no page tree: the objects
        // it misplaces are found as the signatures are looked for.
        {"damaged, repaired", repaired, {}, {"revisions"}, 0, "object-misplaced", "warning"},
        // Only decode reads the data; check tells it as a finding of its own.
        {"damaged stream data", damaged, {}, {"decode"}, 0, "flate-failed", "warning"},
        {"wrong password", qpdf ? encrypted : "", {"--password", "wrong"}, all, 1, "wrong-password", "error"},
        {"revision it does not have", good.Path(), {"--revision", "3"}, {"info", "decode", "check"}, 2, nullptr, nullptr},
    };
    for (const TCase& c : cases) {
        if (c.File.empty()) continue;
        for (const std::string& command : c.Commands) {
            SCOPED_TRACE(command + ", " + c.Name);
            const RunResult run = RunCli(Arguments(command, c.Extra, c.File));
            EXPECT_EQ(run.ExitCode, c.ExitCode) << run.Err;
            EXPECT_EQ(run.Err.rfind("lumerra: " + c.File + ": ", 0), 0u) << run.Err;
            if (c.Code == nullptr) {
                EXPECT_EQ(run.Out, "") << "wrong usage writes nothing";
                continue;
            }
            // A report that was not made has no JSON; its failure is told on
            // standard error alone.
            if (command == "decode" && c.ExitCode != 0) {
                EXPECT_EQ(run.Out, "");
                continue;
            }
            const nlohmann::json diagnostics = Diagnostics(run.Out);
            ASSERT_TRUE(diagnostics.is_array()) << run.Out;
            const auto record = std::find_if(diagnostics.begin(), diagnostics.end(),
                                             [&](const nlohmann::json& d) { return d["code"] == c.Code; });
            ASSERT_NE(record, diagnostics.end()) << diagnostics.dump();
            EXPECT_EQ((*record)["severity"], c.Severity);
            for (const char* key : {"object", "generation", "offset", "revision"})
                EXPECT_TRUE((*record)[key].is_null() || (*record)[key].is_number()) << key;
            EXPECT_TRUE((*record)["parameters"].is_array());
            EXPECT_TRUE((*record)["message"].is_string() && !(*record)["message"].get<std::string>().empty());
            EXPECT_TRUE((*record)["revision"].is_null()) << "the whole file was read";
            if (c.File == damaged) {
                EXPECT_EQ((*record)["page"], 1);
                EXPECT_EQ((*record)["object"], 4);
                EXPECT_EQ((*record)["generation"], 0) << "as the table gives it";
                EXPECT_TRUE((*record)["decoded-bytes"].is_number());
            }
        }
    }
    // Every command takes the password alike.
    for (const std::string& command : all) {
        if (!qpdf) break;
        const RunResult run = RunCli(Arguments(command, {"--password", "user"}, encrypted));
        EXPECT_EQ(run.ExitCode, 0) << command << ": " << run.Err;
        // Triage's clean report keeps pdfid's keys only.
        EXPECT_EQ(Diagnostics(run.Out), command == "triage" ? nlohmann::json() : nlohmann::json::array()) << command;
    }
    // Read as a revision left it, a file's records say which.
    const RunResult revision = RunCli({"info", "--extended", "--json", "--revision", "1", repaired});
    const nlohmann::json records = Diagnostics(revision.Out);
    ASSERT_TRUE(records.is_array() && !records.empty()) << revision.Out;
    for (const nlohmann::json& record : records) EXPECT_EQ(record["revision"], 1);
}

// Over several files, each is told and the others are still read; the
// exit code is the worst: wrong usage, then a failure, then findings.
TEST(CliFailure, TheOtherFilesAreStillReadAndTheWorstExitCodeWins) {
    const TempFile good(OnePage(), "good.pdf");
    const std::string faulty = good.Sibling("faulty.pdf");  // an error finding
    WriteFileBytes(faulty, OnePage("Q"));
    const std::string missing = good.Sibling("missing.pdf");
    const std::string folder = good.Sibling("out");
    struct TCase {
        std::vector<std::string> Args;
        int ExitCode;
        std::vector<std::string> Told;  // the files told on standard error, in order
    };
    const std::vector<TCase> cases = {
        {{"check", faulty}, 3, {}},
        {{"check", faulty, missing}, 1, {missing}},
        {{"check", missing, faulty}, 1, {missing}},
        {{"check", "--revision", "3", good.Path(), faulty}, 2, {good.Path(), faulty}},
        {{"info", "--revision", "3", good.Path(), missing}, 2, {good.Path(), missing}},
        {{"info", missing, "--revision", "3", good.Path()}, 2, {missing, good.Path()}},
        {{"decode", "--quiet", "--revision", "3", "--output-dir", folder, good.Path(), missing}, 2, {good.Path(), missing}},
        {{"decode", "-j", "2", "--revision", "3", "--output-dir", folder, good.Path(), faulty}, 2, {good.Path(), faulty}},
        {{"revisions", missing, good.Path()}, 1, {missing}},
        {{"triage", missing, good.Path()}, 1, {missing}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.Args));
        const RunResult run = RunCli(c.Args);
        EXPECT_EQ(run.ExitCode, c.ExitCode) << run.Err;
        std::vector<std::string> told;
        for (size_t at = 0; (at = run.Err.find("lumerra: ", at)) != std::string::npos; at = run.Err.find('\n', at)) {
            const size_t name = at + 9;
            told.push_back(run.Err.substr(name, run.Err.find(": ", name) - name));
        }
        // Several workers tell their files in any order.
        if (c.Args[1] == "-j") std::sort(told.begin(), told.end());
        std::vector<std::string> expected = c.Told;
        if (c.Args[1] == "-j") std::sort(expected.begin(), expected.end());
        EXPECT_EQ(told, expected) << run.Err;
    }
    EXPECT_TRUE(!std::filesystem::exists(folder) || std::filesystem::is_empty(folder)) << "no report of a revision";
}

}  // namespace
