// The command-line tool over hostile files: every run ends with a report
// (exit 0) or a message on standard error (exit 1), never with a signal,
// within the same time and memory bounds as the library.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdio>

#include <filesystem>
#include <string>
#include <vector>

#include "hostile/HostileDocuments.h"
#include "support/PdfBuilder.h"

extern char** environ;

using namespace lumerra;
using namespace lumerra::test;

namespace {

// Runs lumerra with Args, standard output and error into files beside
// Scratch; returns "exit=N peak=KiB" (its exit code and peak resident
// memory), a line end and what it wrote on standard error.
std::string RunCli(const std::vector<std::string>& Args, const TempFile& Scratch) {
    std::vector<std::string> all{LUMERRA_CLI_PATH};
    all.insert(all.end(), Args.begin(), Args.end());
    std::vector<char*> argv;
    for (auto& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const std::string errPath = Scratch.Sibling("stderr.txt");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start " + all[0]);
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    if (WIFSIGNALED(status)) throw std::runtime_error("lumerra killed by signal " + std::to_string(WTERMSIG(status)));
    return "exit=" + std::to_string(WEXITSTATUS(status)) + " peak=" + std::to_string(usage.ru_maxrss) + "\n" +
           ReadFileBytes(errPath);
}

// The run ended in a report, or in exit 1 with a message.
void ExpectCliOutcome(const TCaseOutcome& Outcome, bool Report) {
    ExpectReport(Outcome);  // the case itself returned: lumerra was not killed
    const std::string message = Outcome.Text.substr(Outcome.Text.find('\n') + 1);
    if (Report) {
        EXPECT_EQ(Outcome.Text.substr(0, 7), "exit=0 ") << Outcome.Text;
    } else {
        EXPECT_EQ(Outcome.Text.substr(0, 7), "exit=1 ") << Outcome.Text;
        EXPECT_FALSE(message.empty()) << "no message";
    }
}

// The peak resident memory of the lumerra run, in KiB.
int64_t CliPeakKiB(const TCaseOutcome& Outcome) {
    const auto at = Outcome.Text.find("peak=");
    return at == std::string::npos ? -1 : std::stoll(Outcome.Text.substr(at + 5));
}

std::string Ref(int N) { return std::to_string(N) + " 0 R"; }

}  // namespace

TEST(HostileCli, FilesThatAreNoDocumentsGiveAMessage) {
    TempFile empty("", "empty.pdf");
    ExpectCliOutcome(RunCase("cli: 0-byte file", [&] { return RunCli({"decode", empty.Path(), "--quiet"}, empty); }),
                     false);
    const std::string folder = empty.Sibling("folder.pdf");
    std::filesystem::create_directory(folder);
    ExpectCliOutcome(RunCase("cli: folder", [&] { return RunCli({"info", folder}, empty); }), false);
}

TEST(HostileCli, DecompressionBombIsReportedInBoundedMemory) {
    PdfBuilder pdf = PdfBuilder::SimpleDocument({""});
    pdf.SetStream(4, "/Filter /FlateDecode", ZeroBomb(int64_t{768} * 1024 * 1024));
    TempFile file(pdf.Build());
    for (const bool comments : {true, false}) {
        std::vector<std::string> args{"decode", file.Path(), "-o", file.Sibling("out.txt"), "--quiet"};
        if (!comments) args.push_back("--no-comments");
        const TCaseOutcome outcome =
            RunCase(comments ? "cli: 768 MiB bomb, comments" : "cli: 768 MiB bomb", [&] { return RunCli(args, file); });
        ExpectCliOutcome(outcome, true);
        const int64_t peak = CliPeakKiB(outcome);
        EXPECT_GT(peak, 0);
        EXPECT_LT(peak, 384 * 1024) << "the decoded data stayed in memory";
        std::printf("lumerra decode of a 768 MiB bomb%s: peak resident memory %lld KiB\n",
                    comments ? "" : " --no-comments", static_cast<long long>(peak));
    }
}

TEST(HostileCli, HeavyFormsAndDeepTreesAreReported) {
    // One form with 20,000 fonts under 10,000 names, below 50,000 levels of
    // page tree.
    constexpr int Depth = 50000;
    PdfBuilder pdf;
    pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    std::string names;
    for (int i = 0; i < 10000; ++i) names += "/X" + std::to_string(i) + " " + Ref(Depth + 4) + " ";
    pdf.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 /Resources << /XObject << " + names + ">> >> >>");
    for (int node = 3; node < Depth + 2; ++node)
        pdf.Set(node, "<< /Type /Pages /Parent " + Ref(node - 1) + " /Kids [" + Ref(node + 1) + "] >>");
    pdf.Set(Depth + 2, "<< /Type /Page /Parent " + Ref(Depth + 1) + " /Contents " + Ref(Depth + 3) + " >>");
    pdf.SetStream(Depth + 3, "", "/X0 Do");
    std::string fonts;
    for (int i = 0; i < 20000; ++i) fonts += "/F" + std::to_string(i) + " " + Ref(Depth + 5) + " ";
    pdf.SetStream(Depth + 4, "/Subtype /Form /Resources << /Font << " + fonts + ">> >>", "q Q");
    pdf.Set(Depth + 5, "<< /Type /Font >>");
    TempFile file(pdf.Build());
    ExpectCliOutcome(RunCase("cli: heavy forms under a deep tree",
                             [&] { return RunCli({"decode", file.Path(), "-o", file.Sibling("out.txt"), "--quiet"}, file); }),
                     true);
    ExpectCliOutcome(RunCase("cli: info of a deep tree", [&] { return RunCli({"info", file.Path()}, file); }), true);
}

TEST(HostileCli, StreamLongerThanTheFileGivesAMessage) {
    PdfBuilder pdf = PdfBuilder::SimpleDocument({""});
    pdf.Set(4, "<< /Length 2147483647 /Filter /FlateDecode >>\nstream\n" + Deflate("0 0 m") + "\nendstream");
    TempFile file(pdf.Build());
    ExpectCliOutcome(RunCase("cli: /Length past the end",
                             [&] { return RunCli({"decode", file.Path(), "-o", file.Sibling("out.txt"), "--quiet"}, file); }),
                     false);
}
