#include <fcntl.h>
#include <pty.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "decoder/PDFLumerra.h"
#include "pdf/DefaultAnalyst.h"
#include "pdf/PDFAnalyst.h"
#include "CliRun.h"
#include "support/DecoderEncoders.h"
#include "support/PdfBuilder.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

// Three pages, the second one with two content streams, one of them
// Flate-compressed; resources on the page tree root.
PdfBuilder ThreePages() {
    PdfBuilder builder;
    builder.Set(1, "<< /Type /Catalog /Pages 2 0 R /Outlines 12 0 R >>");
    builder.Set(2, "<< /Type /Pages /Kids [3 0 R 9 0 R] /Count 3 /MediaBox [0 0 595 842]"
                   " /Resources << /Font << /F1 10 0 R >> >> >>");
    builder.Set(3, "<< /Type /Pages /Parent 2 0 R /Kids [4 0 R 6 0 R] /Count 2 >>");
    builder.Set(4, "<< /Type /Page /Parent 3 0 R /Contents 5 0 R >>");
    builder.SetStream(5, "", "BT /F1 12 Tf (one) Tj ET");
    builder.Set(6, "<< /Type /Page /Parent 3 0 R /Contents [7 0 R 8 0 R] >>");
    builder.SetStream(7, "/Filter /FlateDecode", Deflate("BT /F1 12 Tf (two) Tj ET\n"));
    builder.SetStream(8, "", "0 0 m 10 10 l S");
    builder.Set(9, "<< /Type /Page /Parent 2 0 R /Contents 11 0 R >>");
    builder.Set(10, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    builder.SetStream(11, "", "BT /F1 12 Tf (three) Tj ET");
    builder.Set(12, "<< /Count 0 >>");
    builder.TrailerExtra("/Info 12 0 R");
    return builder;
}

// What DecodeToFile itself writes for these arguments.
std::string DecoderReport(const std::string& Pdf, const std::string& Out, int32_t First, int32_t Last,
                          bool WithComments) {
    TDefaultAnalyst analyst;
    analyst.LoadFromFile(Pdf);
    TPDFLumerra decoder(&analyst);
    bool cancel = false;
    decoder.DecodeToFile(Out, First, Last, WithComments, nullptr, cancel);
    return ReadFileBytes(Out);
}

}  // namespace

// ------------------------------------------------------------------ info

// The structure, then the document information, each text on its line.
TEST(CliInfo, PrintsTheStructureOfAGoodFile) {
    PdfBuilder builder = ThreePages();
    builder.Set(12, "<< /Count 0 /Title (two\\nlines) /Author <FEFF00E9> >>");
    builder.NewRevision().Set(13, "null").Root(1);
    TempFile pdf(builder.Build(), "doc.pdf");
    const RunResult r = RunCli({"info", pdf.Path()});
    EXPECT_EQ(r.ExitCode, 0);
    EXPECT_EQ(r.Err, "");
    const auto& x = builder.XrefOffsets();
    EXPECT_EQ(r.Out, "file: " + pdf.Path() +
                         "\n"
                         "version: 1.4\n"
                         "objects: 14\n"
                         "pages: 3\n"
                         "root: 1\n"
                         "info: 12\n"
                         "pages-root: 2\n"
                         "first-page: 4\n"
                         "outlines: 12\n"
                         "metadata: -1\n"
                         "struct-tree: no\n"
                         "encrypted: no\n"
                         "media-box: 0 0 595 842\n"
                         "xref-offsets: " +
                         std::to_string(x[1]) + " " + std::to_string(x[0]) +
                         "\n"
                         "page-list: 4 6 9\n"
                         "title: two lines\n"
                         "author: \xC3\xA9\n");
}

TEST(CliInfo, DamagedFilePrintsTheMessageAndFails) {
    TempFile pdf("%PDF-1.7\n" + ThreePages().Build().substr(9), "doc.pdf");
    const RunResult r = RunCli({"info", pdf.Path()});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(r.Err, "lumerra: " + pdf.Path() + ": このファイルは未対応の形式です。\n" + "lumerra: " + pdf.Path() +
                         ": --extended reads this file\n");
    EXPECT_EQ(RunCli({"info", "--extended", pdf.Path()}).ExitCode, 0);

    // A page further down the tree that is damaged: nothing half printed.
    std::string bytes = ThreePages().Build();
    const size_t at = bytes.find("9 0 obj");
    bytes.replace(at, 7, "8 0 obj");
    TempFile broken(bytes, "broken.pdf");
    const RunResult b = RunCli({"info", broken.Path()});
    EXPECT_EQ(b.ExitCode, 1);
    EXPECT_EQ(b.Out, "");
    EXPECT_EQ(b.Err, "lumerra: " + broken.Path() + ": オブジェクトIDが不正です。 (object 9, offset " + std::to_string(at) + ")\n");
}

// ----------------------------------------------------------------- usage

TEST(CliUsage, WrongUsageExitsWithTwo) {
    TempFile pdf(ThreePages().Build(), "doc.pdf");
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"info"},
        {"info", "--json"},
        {"info", "--verbose", pdf.Path()},
        {"decode"},
        {"decode", "--fast", pdf.Path()},
        {"decode", "-o"},
        {"decode", "-o", "out.txt", pdf.Path(), pdf.Path()},
        {"decode", "-o", "out.txt", "--output-dir", "out", pdf.Path()},
        {"decode", "--output-dir", "out", pdf.Path(), pdf.Path()},  // one report for both
        {"decode", "-j", "0", pdf.Path()},
        {"decode", "--pages", "abc", pdf.Path()},
        {"decode", "--pages", "1-x", pdf.Path()},
        {"decode", "--pages", "-", pdf.Path()},
        {"decode", "--pages", "--2", pdf.Path()},
        {"decode", "--pages", "3-1", pdf.Path()},
        {"decode", "--pages", pdf.Path()},
        {"info", "--revision", "0", pdf.Path()},
        {"decode", "--revision", "x", pdf.Path()},
        {"revisions", "--revision", "1", pdf.Path()},
        {"revisions"},
        {"check"},
        {"check", "--bogus", pdf.Path()},
        {"check", "--pages"},
        {"check", "-j", "0", pdf.Path()},
        {"check", "--stats", pdf.Path()},  // --stats needs --objects
        {"triage"},
        {"triage", "--json"},
        {"triage", "--all", pdf.Path()},
    };
    for (const auto& args : cases) {
        const RunResult r = RunCli(args);
        std::string joined;
        for (const auto& a : args) joined += a + " ";
        EXPECT_EQ(r.ExitCode, 2) << joined;
        EXPECT_EQ(r.Out, "") << joined;
        EXPECT_NE(r.Err.find("Usage: lumerra"), std::string::npos) << joined;
        EXPECT_NE(r.Err.find("lumerra triage [--json]"), std::string::npos) << joined;  // every command's usage
    }
    EXPECT_FALSE(std::filesystem::exists(pdf.Sibling("doc.txt")));
}

TEST(CliUsage, HelpExplainsBothCommands) {
    const RunResult r = RunCli({"--help"});
    EXPECT_EQ(r.ExitCode, 0);
    EXPECT_EQ(r.Err, "");
    for (const char* word : {"info", "decode", "-o", "--no-comments", "--pages", "--quiet", "page-list", "--version",
                             "reads PDF 1.0 to 1.4", "reads PDF 1.0 to 2.0", "--password-file", "LUMERRA_PASSWORD",
                             "(ps, shell history)", "lumerra triage [--json]", "lumerra check [--content]"})
        EXPECT_NE(r.Out.find(word), std::string::npos) << word;

    const RunResult version = RunCli({"--version"});
    EXPECT_EQ(version.ExitCode, 0);
    EXPECT_EQ(version.Out, "lumerra " LUMERRA_VERSION "\n");
}

// ---------------------------------------------------------------- decode

TEST(CliDecode, DefaultRangeIsEveryListedPageWhateverTheCount) {
    for (const std::string count : {"", "/Count 7", "/Count 1"}) {
        PdfBuilder builder = ThreePages();
        builder.Set(2, "<< /Type /Pages /Kids [3 0 R 9 0 R] " + count + " >>");
        TempFile pdf(builder.Build(), "doc.pdf");
        const RunResult r = RunCli({"decode", "--no-comments", "-o", "-", pdf.Path()});
        EXPECT_EQ(r.ExitCode, 0) << count << ": " << r.Err;
        EXPECT_NE(r.Out.find("(three) Tj"), std::string::npos) << count;
    }
}

// The report goes beside the document, to a named file or to standard
// output ("-"), and is what the decoder itself writes for the pages asked.
TEST(CliDecode, EveryOutputGetsTheDecodersReport) {
    TempFile pdf(ThreePages().Build(), "doc.pdf");
    struct Case {
        std::vector<std::string> Options;
        std::string Out;  // "-o": none when empty
        int32_t First, Last;
        bool Comments;
    };
    const std::vector<Case> cases = {
        {{}, "out.txt", 1, 3, true},
        {{"--no-comments"}, "out.txt", 1, 3, false},
        {{"--pages", "2-3"}, "out.txt", 2, 3, true},
        {{"--pages=2"}, "out.txt", 2, 2, true},
        {{"--pages", "2-"}, "out.txt", 2, 3, true},  // open ranges run to the ends
        {{"--pages", "-2"}, "out.txt", 1, 2, true},
        {{"--pages", "3", "--no-comments", "--quiet"}, "out.txt", 3, 3, false},
        {{"--pages", "1-2"}, "-", 1, 2, true},
        {{}, "", 1, 3, true},  // last: the only one that writes doc.txt
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        const std::string out = c.Out.empty()  ? pdf.Sibling("doc.txt")
                                : c.Out == "-" ? c.Out
                                               : pdf.Sibling(std::to_string(i) + c.Out);
        std::vector<std::string> args{"decode"};
        if (!c.Out.empty()) args.insert(args.end(), {"-o", out});
        args.insert(args.end(), c.Options.begin(), c.Options.end());
        args.push_back(pdf.Path());
        SCOPED_TRACE(testing::PrintToString(args));
        const RunResult r = RunCli(args);
        EXPECT_EQ(r.ExitCode, 0) << r.Err;
        EXPECT_EQ(r.Err, "");  // no progress bar without a terminal
        if (out != "-") {
            EXPECT_EQ(r.Out, "");
        }
        const std::string report = out == "-" ? r.Out : ReadFileBytes(out);
        EXPECT_EQ(report, DecoderReport(pdf.Path(), pdf.Sibling("expected.txt"), c.First, c.Last, c.Comments));
        EXPECT_EQ(std::filesystem::exists(pdf.Sibling("doc.txt")), c.Out.empty());
        EXPECT_FALSE(std::filesystem::exists(pdf.Sibling("-")));
        if (c.Out.empty()) {
            EXPECT_NE(report.find("BT /F1 12 Tf (two) Tj ET\n"), std::string::npos);  // inflated
            EXPECT_EQ(report.rfind("% Decode File : doc.pdf\n\n", 0), 0u);
        }
    }
}

namespace {

// Runs decode with standard error on a terminal; returns what it drew there.
std::string TerminalErrors(const std::vector<std::string>& Args, int& ExitCode) {
    int master = -1, slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
    TempFile scratch("");
    RunResult r;
    {
        Launch how;
        how.ErrFd = slave;
        Process process(Args, scratch, how);
        ::close(slave);
        r = process.Wait();
    }
    ExitCode = r.ExitCode;
    std::string drawn;
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    char buffer[4096];
    for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;) drawn.append(buffer, static_cast<size_t>(n));
    ::close(master);
    return drawn;
}

}  // namespace

TEST(CliDecode, ProgressBarOnlyOnATerminalAndNotWhenQuiet) {
    TempFile pdf(ThreePages().Build(), "doc.pdf");
    for (const std::string format : {"--pages=1-", "--json"}) {
        int exitCode = -1;
        const std::string drawn =
            TerminalErrors({"decode", format, "-o", pdf.Sibling("a.txt"), pdf.Path()}, exitCode);
        EXPECT_EQ(exitCode, 0);
        EXPECT_NE(drawn.find("100%"), std::string::npos) << format << drawn;
        EXPECT_NE(drawn.find('#'), std::string::npos) << format << drawn;
        const std::string quiet =
            TerminalErrors({"decode", format, "--quiet", "-o", pdf.Sibling("b.txt"), pdf.Path()}, exitCode);
        EXPECT_EQ(exitCode, 0);
        EXPECT_EQ(quiet, "");
        EXPECT_EQ(ReadFileBytes(pdf.Sibling("a.txt")), ReadFileBytes(pdf.Sibling("b.txt")));
    }
}

// Every refusal names the file and the reason, and writes nothing. The
// default reading loads an encrypted file and says so, but decrypts
// nothing: decode refuses it.
TEST(CliDecode, ErrorsNameTheFileAndTheReason) {
    TempFile pdf(ThreePages().Build(), "doc.pdf");
    WriteFileBytes(pdf.Sibling("ro.txt"), "keep");
    ::chmod(pdf.Sibling("ro.txt").c_str(), 0444);
    const std::string damaged = pdf.Sibling("damaged.pdf");
    WriteFileBytes(damaged, "%PDF-1.4\n");
    const std::string encrypted = pdf.Sibling("encrypted.pdf");
    WriteFileBytes(encrypted, ThreePages().TrailerExtra("/Encrypt 12 0 R").Build());
    const std::string inUse = "このファイルは使用中です。別名で保存してください。";
    struct Case {
        std::vector<std::string> Args;
        std::string Err;
        std::string File{};  // the document's own when empty
    };
    const std::vector<Case> cases = {
        {{"-o", "-", "--pages", "2-4"}, pdf.Path() + ": ページ番号の指定が不正です。"},
        {{"--pages", "4"}, pdf.Path() + ": ページ番号の指定が不正です。"},
        {{"--pages", "4-"}, pdf.Path() + ": ページ番号の指定が不正です。"},
        // The report may never replace the document itself.
        {{"-o", pdf.Path()}, pdf.Path() + ": " + inUse + " (the PDF being read)"},
        {{"-o", pdf.Sibling("ro.txt")}, pdf.Sibling("ro.txt") + ": " + inUse + " (read-only)"},
        {{"-o", pdf.Folder()}, pdf.Folder() + ": " + inUse + " (a folder)"},
        {{"-o", pdf.Sibling("none/x.txt")}, pdf.Sibling("none/x.txt") + ": 保存先のフォルダが見つかりません。 (" +
                                                pdf.Sibling("none") + ")"},
        {{"-o", "/dev/full"}, "/dev/full: 書き込みに失敗しました。 (" + std::string(std::strerror(ENOSPC)) + ")"},
        {{}, damaged + ": %%EOFがありません。 (offset 3)", damaged},
        {{}, encrypted + ": 対応できない形式です。", encrypted},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"decode"};
        args.insert(args.end(), c.Args.begin(), c.Args.end());
        args.push_back(c.File.empty() ? pdf.Path() : c.File);
        const RunResult r = RunCli(args);
        EXPECT_EQ(r.ExitCode, 1) << c.Err;
        EXPECT_EQ(r.Out, "") << c.Err;
        EXPECT_EQ(r.Err, "lumerra: " + c.Err + "\n");
    }
    EXPECT_EQ(ReadFileBytes(pdf.Path()), ThreePages().Build());
    EXPECT_EQ(ReadFileBytes(pdf.Sibling("ro.txt")), "keep");
    for (const char* report : {"doc.txt", "damaged.txt", "encrypted.txt"})
        EXPECT_FALSE(std::filesystem::exists(pdf.Sibling(report))) << report;
    const RunResult info = RunCli({"info", encrypted});
    EXPECT_EQ(info.ExitCode, 0);
    EXPECT_NE(info.Out.find("\nencrypted: yes\n"), std::string::npos) << info.Out;
}

TEST(CliOutput, FailedStandardOutputIsToldAndFails) {
    TempFile pdf(ThreePages().Build(), "doc.pdf");
    TempFile scratch("");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"info", pdf.Path()}, {"--help"}, {"--version"}, {"decode", "-o", "-", pdf.Path()}}) {
        Launch how;
        how.Stdout = "/dev/full";
        Process process(args, scratch, how);
        const RunResult r = process.Wait();
        EXPECT_EQ(r.ExitCode, 1) << args[0];
        EXPECT_EQ(r.Err, "lumerra: standard output: 書き込みに失敗しました。 (" + std::string(std::strerror(ENOSPC)) +
                             ")\n")
            << args[0];
    }
}

// ------------------------------------------------------- output safety

namespace {

// A document whose report takes a while and is large.
std::string BigDocument(int Pages) {
    const std::string content = "BT /F1 12 Tf (" + std::string(200, 'x') + ") Tj ET";
    return PdfBuilder::SimpleDocument(std::vector<std::string>(static_cast<size_t>(Pages), content)).Build();
}

std::set<std::string> FolderEntries(const std::string& Folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(Folder))
        names.insert(std::filesystem::relative(entry.path(), Folder));
    return names;
}

}  // namespace

// Ctrl-C, a terminating signal, a kill or a full disk in the middle of a
// run: the previous report is kept, a link to a device stays one, every
// worker stops, and nothing is left behind.
TEST(CliOutput, AnInterruptedRunLeavesEverythingAsItWas) {
    TempFile pdf(BigDocument(20000), "big.pdf");
    const std::string two = pdf.Sibling("two.pdf");
    WriteFileBytes(two, ReadFileBytes(pdf.Path()));
    const std::string link = pdf.Sibling("null.txt");
    std::filesystem::create_symlink("/dev/null", link);
    const std::string folder = pdf.Sibling("out");
    std::filesystem::create_directory(folder);
    const std::string report = pdf.Sibling("big.txt");
    const std::vector<std::string> decode = {"decode", "--quiet", pdf.Path()};
    struct TCase {
        const char* Name;
        std::vector<std::string> Args;
        int Signal;          // sent once the run has begun; 0: none
        int FileSizeBlocks;  // 0: no limit
        int ExitCode;        // -1: ended by the signal
        std::string Err;     // not compared when empty
    };
    const std::vector<TCase> cases = {
        {"Ctrl-C", decode, SIGINT, 0, 130, "lumerra: " + pdf.Path() + ": キャンセルされました。\n"},
        {"SIGTERM", decode, SIGTERM, 0, -1, ""},
        {"SIGHUP", decode, SIGHUP, 0, -1, ""},
        {"SIGKILL", decode, SIGKILL, 0, -1, ""},
        {"a full disk", {"decode", pdf.Path()}, 0, 64, 1,
         "lumerra: " + report + ": 書き込みに失敗しました。 (" + std::string(std::strerror(EFBIG)) + ")\n"},
        {"a link to a device", {"decode", "--quiet", "-o", link, pdf.Path()}, SIGINT, 0, 130, ""},
        // Ctrl-C sent to the tool alone reaches its workers.
        {"two workers", {"decode", "-j", "2", "--output-dir", folder, pdf.Path(), two}, SIGINT, 0, 130, ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        WriteFileBytes(report, "previous report");
        const auto entries = FolderEntries(pdf.Folder());
        TempFile scratch("");
        Launch how;
        how.FileSizeBlocks = c.FileSizeBlocks;
        Process process(c.Args, scratch, how);
        if (c.Signal != 0) {
            ASSERT_TRUE(AwaitRun(process));
            ::kill(process.Pid(), c.Signal);
        }
        const RunResult r = process.Wait();
        if (c.ExitCode < 0) {
            EXPECT_EQ(r.Signal, c.Signal) << r.Err;
        } else {
            EXPECT_EQ(r.ExitCode, c.ExitCode) << r.Err;
        }
        if (!c.Err.empty()) {
            EXPECT_EQ(r.Err, c.Err);
        }
        EXPECT_EQ(ReadFileBytes(report), "previous report");
        EXPECT_EQ(FolderEntries(pdf.Folder()), entries);
    }
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}

TEST(CliOutput, StandardOutputIsStreamedWithoutATemporaryCopy) {
    TempFile pdf(BigDocument(2000), "big.pdf");
    TempFile scratch("");
    // The reader goes away early: the run ends, and nothing stays behind.
    const std::string command = "TMPDIR=" + scratch.Folder() + " " + LUMERRA_CLI_PATH + " decode -o - " + pdf.Path() +
                                " | head -c 100 > " + scratch.Sibling("head.txt");
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadFileBytes(scratch.Sibling("head.txt")).size(), 100u);
    EXPECT_EQ(FolderEntries(scratch.Folder()), (std::set<std::string>{"head.txt", "test.pdf"}));
    EXPECT_EQ(FolderEntries(pdf.Folder()), (std::set<std::string>{"big.pdf"}));
}

// Every format goes through the same run: damaged streams are told beside
// the report, and the report is the same for every thread count. Extended
// reading tells the damage of every decoder as the default reading tells
// Flate's.
TEST(CliDecode, DamagedStreamsAreToldBesideTheReport) {
    const std::string text = "BT /F1 12 Tf (two) Tj ET";
    const std::string flate = Deflate(text + "\n" + std::string(5000, 'x'));
    const std::string lzw = EncodeLZW(text);
    struct Case {
        const char* Dictionary;
        std::string Data;
        const char* Told;
        bool Extended;  // else the default reading, in every format and thread count
    };
    const std::vector<Case> cases = {
        {"/Filter /FlateDecode", flate.substr(0, flate.size() / 2) + std::string(64, '\xff'),
         "flate圧縮を正常に展開できませんでした。", false},
        {"/Filter /LZWDecode", lzw.substr(0, lzw.size() / 2), "LZW圧縮を正常に展開できませんでした。", true},
        {"/Filter /RunLengthDecode", "\x1c" + text.substr(0, 10), "RunLength圧縮を正常に展開できませんでした。", true},
        {"/Filter /FlateDecode /DecodeParms << /Predictor 12 /Columns 8 >>", Deflate("\x02" + text.substr(0, 4)),
         "予測子を正常に戻せませんでした。", true},
        {"/Filter [/ASCIIHexDecode /FlateDecode]", "78 9c ff ff>", "flate圧縮を正常に展開できませんでした。", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Dictionary);
        PdfBuilder builder = ThreePages();
        builder.SetStream(7, c.Dictionary, c.Data);
        TempFile pdf(builder.Build(), "doc.pdf");
        // "--quiet" stands for the text report with comments.
        using TList = std::vector<std::string>;
        const TList formats = c.Extended ? TList{"--extended"} : TList{"--quiet", "--no-comments", "--json", "--json-data"};
        for (const std::string& format : formats) {
            std::string report;
            for (const std::string& threads : c.Extended ? TList{"1"} : TList{"1", "2", "4"}) {
                const RunResult r = RunCli({"decode", format, "-j", threads, "-o", "-", pdf.Path()});
                EXPECT_EQ(r.ExitCode, 0) << r.Err;
                const std::string prefix = "lumerra: " + pdf.Path() + ": page 2, object 7: data damaged after ";
                EXPECT_EQ(r.Err.rfind(prefix, 0), 0u) << format << r.Err;
                EXPECT_NE(r.Err.find(std::string(" bytes: ") + c.Told + "\n"), std::string::npos) << r.Err;
                if (report.empty()) report = r.Out;
                EXPECT_EQ(r.Out, report) << format << ", " << threads << " threads";
            }
            if (format == "--quiet") {
                EXPECT_NE(report.find("%  Page 2/3 - Contents 2/2"), std::string::npos);  // the run went on
            } else if (format == "--json") {
                EXPECT_EQ(nlohmann::json::parse(report)["pages"][1]["contents"][1]["size"], 15);
            }
        }
    }
}
