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
#include <optional>
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

}  // namespace

TEST(HostileCli, EveryRunEndsInAReportOrAMessage) {
    const std::string bomb = [] {
        PdfBuilder pdf = PdfBuilder::SimpleDocument({""});
        pdf.SetStream(4, "/Filter /FlateDecode", ZeroBomb(int64_t{768} * 1024 * 1024));
        return pdf.Build();
    }();
    // One form with 20,000 fonts under 10,000 names, below 50,000 levels of
    // page tree.
    const std::string heavy = [] {
        constexpr int Depth = 50000;
        PdfBuilder pdf;
        pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
        pdf.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 /Resources << /XObject << " +
                       NamesFor("X", 10000, Depth + 4) + ">> >> >>");
        for (int node = 3; node < Depth + 2; ++node)
            pdf.Set(node, "<< /Type /Pages /Parent " + Ref(node - 1) + " /Kids [" + Ref(node + 1) + "] >>");
        pdf.Set(Depth + 2, "<< /Type /Page /Parent " + Ref(Depth + 1) + " /Contents " + Ref(Depth + 3) + " >>");
        pdf.SetStream(Depth + 3, "", "/X0 Do");
        pdf.SetStream(Depth + 4, "/Subtype /Form /Resources << /Font << " + NamesFor("F", 20000, Depth + 5) + ">> >>",
                      "q Q");
        pdf.Set(Depth + 5, "<< /Type /Font >>");
        return pdf.Build();
    }();
    PdfBuilder pastEnd = PdfBuilder::SimpleDocument({""});
    pastEnd.Set(4, "<< /Length 2147483647 /Filter /FlateDecode >>\nstream\n" + Deflate("0 0 m") + "\nendstream");
    struct Case {
        std::string Name;
        std::optional<std::string> Bytes;  // the file; a folder where there is none
        std::vector<std::string> Args;     // FILE and OUT stand for the file and a report beside it
        bool Report;
        int64_t PeakLimitKiB;  // 0: not compared
    };
    const std::vector<std::string> decode = {"decode", "FILE", "-o", "OUT", "--quiet"};
    const std::vector<Case> cases = {
        {"0-byte file", "", {"decode", "FILE", "--quiet"}, false, 0},
        {"folder", std::nullopt, {"info", "FILE"}, false, 0},
        {"768 MiB bomb, comments", bomb, decode, true, 384 * 1024},
        {"768 MiB bomb", bomb, {"decode", "FILE", "-o", "OUT", "--quiet", "--no-comments"}, true, 384 * 1024},
        {"heavy forms under a deep tree", heavy, decode, true, 0},
        {"info of a deep tree", heavy, {"info", "FILE"}, true, 0},
        {"/Length past the end", pastEnd.Build(), decode, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TempFile file(c.Bytes.value_or(""));
        std::string path = file.Path();
        if (!c.Bytes) {
            path = file.Sibling("folder.pdf");
            std::filesystem::create_directory(path);
        }
        std::vector<std::string> args = c.Args;
        for (std::string& arg : args) arg = arg == "FILE" ? path : arg == "OUT" ? file.Sibling("out.txt") : arg;
        const TCaseOutcome outcome = RunCase("cli: " + c.Name, [&] { return RunCli(args, file); });
        ExpectCliOutcome(outcome, c.Report);
        if (c.PeakLimitKiB != 0) {
            const int64_t peak = CliPeakKiB(outcome);
            EXPECT_GT(peak, 0);
            EXPECT_LT(peak, c.PeakLimitKiB) << "the decoded data stayed in memory";
            std::printf("lumerra, %s: peak resident memory %lld KiB\n", c.Name.c_str(),
                        static_cast<long long>(peak));
        }
    }
}
