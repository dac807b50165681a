// Pipeline mode (--files-from): one record per input in the list's order
// whatever happens to it, the limits, shards and resuming a killed run.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <set>
#include <string>
#include <vector>

#include "CliRun.h"
#include "cli/pipeline/Supervisor.h"
#include "support/PdfBuilder.h"

using namespace lumerra;
using namespace lumerra::test;
using nlohmann::json;

namespace {

std::vector<json> Records(const std::string& Lines) {
    std::vector<json> records;
    size_t start = 0;
    for (size_t end = Lines.find('\n'); end != std::string::npos; end = Lines.find('\n', start)) {
        records.push_back(json::parse(Lines.substr(start, end - start)));
        start = end + 1;
    }
    EXPECT_EQ(start, Lines.size()) << "a record without its line end";
    return records;
}

std::string Plain() { return PdfBuilder::SimpleDocument({"0 0 m 10 10 l S"}).Build(); }

// The file's table is where startxref does not say: extended reading
// rebuilds it.
std::string Misplaced() {
    std::string bytes = Plain();
    const size_t at = bytes.rfind("startxref\n") + 10;
    bytes.replace(at, bytes.find('\n', at) - at, "17");
    return bytes;
}

// Encrypted with a password nobody gave.
std::string Locked() {
    PdfBuilder b = PdfBuilder::SimpleDocument({"0 0 m 10 10 l S"});
    b.Set(9, "<< /Filter /Standard /V 2 /R 3 /Length 128 /P -4 /O <" + std::string(64, '1') + "> /U <" +
                 std::string(64, '2') + "> >>");
    b.TrailerExtra("/Encrypt 9 0 R /ID [<0102> <0102>]");
    return b.Build();
}

// A page whose content inflates to 9 MiB: more than a tiny memory limit.
std::string Big() {
    PdfBuilder b;
    b.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    b.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    b.Set(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 10 10] /Contents 4 0 R >>");
    std::string content;
    for (int i = 0; i < 600000; ++i) content += "0 0 m 10 10 l S\n";
    b.SetStream(4, "/Filter /FlateDecode", Deflate(content));
    return b.Build();
}

// A list of Paths in a file beside Folder.
std::string ListFile(const TempFile& Folder, const std::vector<std::string>& Paths, char Separator = '\n') {
    std::string list;
    for (const std::string& path : Paths) list += path + Separator;
    const std::string name = Folder.Sibling("list.txt");
    WriteFileBytes(name, list);
    return name;
}

std::string SchemaFolder() {
    return (std::filesystem::path(__FILE__).parent_path() / ".." / ".." / "docs" / "schema").lexically_normal();
}

// Holds each command's records to its schema; skipped where
// python3-jsonschema is absent.
void ExpectValid(const std::map<std::string, std::string>& ByCommand, const TempFile& Folder) {
    const std::string script =
        (std::filesystem::path(__FILE__).parent_path() / "validate_records.py").lexically_normal();
    std::string command = "python3 " + script + " " + SchemaFolder();
    for (const auto& [name, records] : ByCommand) {
        const std::string file = Folder.Sibling(name + "-records.jsonl");
        WriteFileBytes(file, records);
        command += " " + name + " " + file;
    }
    const int status = std::system(command.c_str());
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) {
        std::cerr << "python3-jsonschema is not installed: the records are not validated\n";
        return;
    }
    EXPECT_EQ(status, 0) << "records break their schema";
}

// A process whose parent is Parent, or -1.
pid_t ChildOf(pid_t Parent) {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        std::getline(stat, line);
        const size_t close = line.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream rest(line.substr(close + 2));
        char state = 0;
        pid_t parent = 0;
        rest >> state >> parent;
        if (parent == Parent) return std::stoi(name);
    }
    return -1;
}

// Waits until a reader is opening Fifo; the returned end, kept open, holds
// the reader in its first read.
int AwaitFifoReader(const std::string& Fifo) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        const int fd = ::open(Fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) return fd;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

}  // namespace

// Each status from a file built for it, with its record valid against the
// command's schema, in the list's order.
TEST(CliPipeline, EachStatusFromAFileBuiltForIt) {
    TempFile plain(Plain(), "plain.pdf");
    WriteFileBytes(plain.Sibling("misplaced.pdf"), Misplaced());
    WriteFileBytes(plain.Sibling("locked.pdf"), Locked());
    WriteFileBytes(plain.Sibling("junk.pdf"), "not a PDF file at all\n");
    WriteFileBytes(plain.Sibling("big.pdf"), Big());
    WriteFileBytes(plain.Sibling("unknown-op.pdf"), PdfBuilder::SimpleDocument({"0 0 m 10 10 l S frob"}).Build());
    const std::string missing = plain.Sibling("missing.pdf");
    struct TCase {
        std::vector<std::string> Args;
        std::string File;
        std::string Status;
    };
    const std::vector<TCase> cases = {
        {{"info", "--json"}, plain.Path(), "ok"},
        {{"info", "--json", "--extended"}, plain.Sibling("misplaced.pdf"), "damaged-repaired"},
        {{"info", "--json", "--extended"}, plain.Sibling("locked.pdf"), "encrypted"},
        {{"info", "--json"}, plain.Sibling("junk.pdf"), "unreadable"},
        {{"info", "--json"}, missing, "unreadable"},
        {{"check", "--json"}, plain.Sibling("unknown-op.pdf"), "findings"},
        {{"check", "--json"}, plain.Path(), "ok"},
        {{"triage", "--json"}, plain.Path(), "ok"},
        {{"triage", "--json"}, plain.Sibling("locked.pdf"), "encrypted"},
        {{"revisions", "--json"}, plain.Path(), "ok"},
        {{"show", "--json"}, plain.Path(), "ok"},
        {{"decode", "--json", "--output-dir", plain.Sibling("reports")}, plain.Path(), "ok"},
        {{"decode", "--json", "--output-dir", plain.Sibling("reports")}, plain.Sibling("junk.pdf"), "unreadable"},
        {{"check", "--json", "--max-memory", "1"}, plain.Sibling("big.pdf"), "memory-limit"},
    };
    std::map<std::string, std::string> byCommand;
    for (const TCase& c : cases) {
        if (c.Status == "memory-limit" && !cli::pipeline::MemoryLimitApplies) continue;  // sanitizer builds
        std::vector<std::string> args = c.Args;
        args.insert(args.end(), {"--files-from", ListFile(plain, {c.File})});
        const RunResult r = RunCli(args);
        const std::vector<json> records = Records(r.Out);
        ASSERT_EQ(records.size(), 1u) << c.Args[0] << " " << c.File << "\n" << r.Out << r.Err;
        const json& record = records.front();
        EXPECT_EQ(record["file"], c.File);
        EXPECT_EQ(record["status"], c.Status) << c.Args[0] << " " << c.File << "\n" << r.Out << r.Err;
        const bool readable = c.File != missing;
        EXPECT_EQ(record["sha256"].is_string(), readable) << record;
        if (readable) {
            EXPECT_EQ(record["size"], std::filesystem::file_size(c.File));
        }
        const bool finished = c.Status != "memory-limit";
        EXPECT_EQ(record.contains(c.Args[0]), finished) << record;
        const int expectedExit = c.Status == "findings"                               ? 3
                                 : c.Status == "ok" || c.Status == "damaged-repaired" ? 0
                                                                                       : 1;
        EXPECT_EQ(r.ExitCode, expectedExit) << record;
        byCommand[c.Args[0]] += r.Out;
    }
    ExpectValid(byCommand, plain);
    // The report is where decode writes it for several files.
    EXPECT_TRUE(std::filesystem::exists(plain.Sibling("reports/plain.json")));
}

// A file that never ends (a FIFO nobody writes) times out, one whose worker
// is killed crashed with its signal; the files after each still get their
// records, in order.
TEST(CliPipeline, TimeoutAndCrashCostOnlyTheirFile) {
    TempFile plain(Plain(), "plain.pdf");
    const std::string fifo = plain.Sibling("never.pdf");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string list = ListFile(plain, {fifo, plain.Path()});

    const RunResult timed = RunCli({"triage", "--json", "--timeout", "1", "--files-from", list});
    std::vector<json> records = Records(timed.Out);
    ASSERT_EQ(records.size(), 2u) << timed.Out << timed.Err;
    EXPECT_EQ(records[0]["status"], "timeout");
    EXPECT_EQ(records[0]["size"], nullptr);
    EXPECT_GE(records[0]["elapsed-ms"].get<int64_t>(), 1000);
    EXPECT_EQ(records[1]["status"], "ok");
    EXPECT_EQ(timed.ExitCode, 1);

    TempFile scratch("");
    Process run({"triage", "--json", "--files-from", list}, scratch);
    const int writer = AwaitFifoReader(fifo);
    ASSERT_GE(writer, 0);
    const pid_t worker = ChildOf(run.Pid());
    ASSERT_GT(worker, 0);
    // SIGKILL: no sanitizer's handler turns it into an exit.
    ::kill(worker, SIGKILL);
    const RunResult crashed = run.Wait();
    ::close(writer);
    records = Records(crashed.Out);
    ASSERT_EQ(records.size(), 2u) << crashed.Out << crashed.Err;
    EXPECT_EQ(records[0]["status"], "crashed");
    EXPECT_EQ(records[0]["signal"], SIGKILL);
    EXPECT_EQ(records[1]["status"], "ok");
    EXPECT_NE(crashed.Err.find(fifo), std::string::npos) << crashed.Err;
    ExpectValid({{"triage", timed.Out + crashed.Out}}, plain);
}

// With three workers the records, and the text, come in the list's order;
// the text is what the command prints for the files without a list.
TEST(CliPipeline, ThreeWorkersKeepTheListsOrder) {
    TempFile first(Plain(), "0.pdf");
    std::vector<std::string> paths;
    for (int i = 0; i < 9; ++i) {
        // Files of very different sizes finish out of order.
        std::vector<std::string> pages(i % 3 == 0 ? 60 : 1, "0 0 m 10 10 l S");
        const std::string path = first.Sibling(std::to_string(i) + ".pdf");
        WriteFileBytes(path, PdfBuilder::SimpleDocument(pages).Build());
        paths.push_back(path);
    }
    for (const char separator : {'\n', '\0'}) {
        const std::string list = ListFile(first, paths, separator);
        std::vector<std::string> args = {"info", "--json", "-j", "3", "--files-from", list};
        if (separator == '\0') args.push_back("-0");
        const RunResult r = RunCli(args);
        const std::vector<json> records = Records(r.Out);
        ASSERT_EQ(records.size(), paths.size()) << r.Err;
        for (size_t i = 0; i < paths.size(); ++i) EXPECT_EQ(records[i]["file"], paths[i]);
    }
    for (const std::string command : {"info", "triage", "revisions"}) {
        std::vector<std::string> direct = {command};
        direct.insert(direct.end(), paths.begin(), paths.end());
        const RunResult piped = RunCli({command, "-j", "3", "--files-from", ListFile(first, paths)});
        EXPECT_EQ(piped.Out, RunCli(direct).Out) << command;
        EXPECT_EQ(piped.ExitCode, 0) << piped.Err;
    }
}

// The shards of one list hold each of its paths exactly once; the hash is
// the one --help documents (a path's shard is the same on every machine).
TEST(CliPipeline, ShardsPartitionTheList) {
    TempFile folder("");
    std::vector<std::string> paths;
    for (int i = 0; i < 24; ++i) paths.push_back(folder.Sibling("s" + std::to_string(i) + ".pdf"));
    const std::string list = ListFile(folder, paths);
    std::multiset<std::string> seen;
    for (const std::string shard : {"0/3", "1/3", "2/3"}) {
        const RunResult r = RunCli({"triage", "--json", "--shard", shard, "--files-from", list});
        const std::vector<json> records = Records(r.Out);
        EXPECT_LT(records.size(), paths.size()) << shard;
        for (const json& record : records) seen.insert(record["file"].get<std::string>());
    }
    EXPECT_EQ(seen, std::multiset<std::string>(paths.begin(), paths.end()));
}

// A run killed with kill -9 in the middle, its last record torn, is resumed:
// every input then has exactly one record.
TEST(CliPipeline, ResumeAfterKillGivesEveryInputOneRecord) {
    TempFile first(Plain(), "r0.pdf");
    std::vector<std::string> paths = {first.Path()};
    for (int i = 1; i < 6; ++i) {
        paths.push_back(first.Sibling("r" + std::to_string(i) + ".pdf"));
        WriteFileBytes(paths.back(), Plain());
    }
    // The run stops at the FIFO, with the records before it written.
    const std::string fifo = first.Sibling("r3.pdf");
    std::filesystem::remove(fifo);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string list = ListFile(first, paths);
    const std::string log = first.Sibling("records.jsonl");
    {
        TempFile scratch("");
        Process run({"info", "--json", "-j", "2", "--resume", log, "--files-from", list}, scratch);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while ((!std::filesystem::exists(log) || Records(ReadFileBytes(log)).size() < 3) &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ::kill(run.Pid(), SIGKILL);
        run.Wait();
    }
    ASSERT_EQ(Records(ReadFileBytes(log)).size(), 3u);
    // What a kill in the middle of a write leaves.
    std::ofstream(log, std::ios::app) << "{\"file\": \"" << paths[4] << "\", \"sta";

    const RunResult resumed = RunCli({"info", "--json", "-j", "2", "--timeout", "1", "--resume", log, "--files-from", list});
    EXPECT_EQ(resumed.Out, "");
    std::vector<std::string> recorded;
    for (const json& record : Records(ReadFileBytes(log))) recorded.push_back(record["file"]);
    EXPECT_EQ(recorded, paths) << ReadFileBytes(log);
    EXPECT_EQ(Records(ReadFileBytes(log))[3]["status"], "timeout");
}

// Pipeline options that cannot work are wrong usage, before any file is read.
TEST(CliPipeline, WrongUsage) {
    TempFile plain(Plain(), "plain.pdf");
    const std::string list = ListFile(plain, {plain.Path()});
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"info", "--timeout", "5", plain.Path()},
             {"info", "--files-from", list, plain.Path()},
             {"info", "--files-from", list, "--shard", "3/3"},
             {"info", "--files-from", list, "--timeout", "soon"},
             {"info", "--files-from", list, "--resume", plain.Sibling("out.jsonl")},
             {"decode", "--files-from", list, "-o", plain.Sibling("one.txt")},
             {"info", "--files-from", plain.Sibling("no-list.txt")},
         }) {
        const RunResult r = RunCli(args);
        EXPECT_EQ(r.ExitCode, 2) << args.back() << "\n" << r.Err;
        EXPECT_EQ(r.Out, "");
    }
}
