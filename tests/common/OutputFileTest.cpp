// The report's file policy: refused targets, the previous report kept until
// a run completes, nothing left behind, devices never removed.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "common/OutputFile.h"
#include "support/PdfBuilder.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

const std::string MsgInUse = "このファイルは使用中です。別名で保存してください。";

std::set<std::string> FolderEntries(const std::string& Folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Folder)) names.insert(entry.path().filename());
    return names;
}

void WriteText(TStream& S, const std::string& Text) { S.WriteBuffer(Text.data(), static_cast<int32_t>(Text.size())); }

}  // namespace

TEST(OutputFile, RefusedTargetsAreLeftAsTheyAre) {
    TempFile pdf(PdfBuilder::SimpleDocument({"BT ET"}).Build(), "doc.pdf");
    const std::string previous = "previous report";
    struct Case {
        std::string Name;
        std::function<std::string()> Prepare;  // returns the target path
        bool ReadingTheDocument;
        std::string Message, Context;
    };
    std::unique_ptr<TFileStream> holder;  // another reader of a file, as another program would be
    const std::vector<Case> cases = {
        {"a folder", [&] { return pdf.Folder(); }, false, MsgInUse, "a folder"},
        {"read-only",
         [&] {
             WriteFileBytes(pdf.Sibling("ro.txt"), previous);
             ::chmod(pdf.Sibling("ro.txt").c_str(), 0444);
             return pdf.Sibling("ro.txt");
         },
         false, MsgInUse, "read-only"},
        {"locked",
         [&] {
             WriteFileBytes(pdf.Sibling("held.pdf"), PdfBuilder::SimpleDocument({"BT ET"}).Build());
             holder = std::make_unique<TFileStream>(pdf.Sibling("held.pdf"), TFileStream::TMode::OpenRead);
             return pdf.Sibling("held.pdf");
         },
         false, MsgInUse, "locked by another program"},
        {"the document", [&] { return pdf.Path(); }, true, MsgInUse, "the PDF being read"},
        {"the document through a link",
         [&] {
             std::filesystem::create_symlink(pdf.Path(), pdf.Sibling("link.txt"));
             return pdf.Sibling("link.txt");
         },
         true, MsgInUse, "the PDF being read"},
        {"a missing folder", [&] { return pdf.Sibling("missing/out.txt"); }, false, "保存先のフォルダが見つかりません。",
         pdf.Sibling("missing")},
    };
    for (const Case& c : cases) {
        const std::string target = c.Prepare();
        const bool existed = std::filesystem::exists(target);
        const std::string before = existed && !std::filesystem::is_directory(target) ? ReadFileBytes(target) : "";
        const auto entries = FolderEntries(pdf.Folder());
        const TFileStream reader(pdf.Path(), TFileStream::TMode::OpenRead);
        try {
            TOutputFile output(target, c.ReadingTheDocument ? &reader : nullptr);
            ADD_FAILURE() << c.Name << ": accepted";
        } catch (const EOutputRefused& e) {
            EXPECT_EQ(e.Message(), c.Message) << c.Name;
            EXPECT_EQ(e.Context(), c.Context) << c.Name;
        }
        EXPECT_EQ(FolderEntries(pdf.Folder()), entries) << c.Name;
        if (existed && !std::filesystem::is_directory(target)) {
            EXPECT_EQ(ReadFileBytes(target), before) << c.Name;
        }
    }
    holder.reset();  // the lock goes with the reader
    EXPECT_NO_THROW(TOutputFile(pdf.Sibling("held.pdf"), nullptr));
}

TEST(OutputFile, PreviousReportSurvivesUntilCommitAndNothingIsLeftBehind) {
    TempFile old("previous report", "report.txt");
    ::chmod(old.Path().c_str(), 0640);
    const auto entries = FolderEntries(old.Folder());
    {
        TOutputFile output(old.Path(), nullptr);
        WriteText(output.Stream(), "half a report");
        // Failed or cancelled: no Commit.
    }
    EXPECT_EQ(ReadFileBytes(old.Path()), "previous report");
    EXPECT_EQ(FolderEntries(old.Folder()), entries);

    std::vector<std::string> names;
    {
        TOutputFile output(old.Path(), nullptr, [&](const std::string& name) { names.push_back(name); });
        WriteText(output.Stream(), "new report");
        EXPECT_EQ(ReadFileBytes(old.Path()), "previous report");  // not before Commit
        output.Commit();
    }
    EXPECT_EQ(ReadFileBytes(old.Path()), "new report");
    EXPECT_EQ(FolderEntries(old.Folder()), entries);
    struct stat info {};
    ASSERT_EQ(::stat(old.Path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    // The temporary file's name on disk was announced, then withdrawn.
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(std::filesystem::path(names[0]).parent_path(), old.Folder());
    EXPECT_EQ(names[1], "");
}

// A report of megabytes, written in pieces of odd sizes, replaces the
// previous one whole, or not at all; a program that was reading the
// previous report goes on reading it as it was.
TEST(OutputFile, ALargeReportReplacesThePreviousWhole) {
    TempFile old("previous report", "report.txt");
    const auto entries = FolderEntries(old.Folder());
    std::string report(10 << 20, '\0');
    for (size_t i = 0; i < report.size(); ++i) report[i] = static_cast<char>('a' + (i * 7 + i / 4093) % 26);
    for (const bool commit : {false, true}) {
        const UniqueFd reader(::open(old.Path().c_str(), O_RDONLY | O_CLOEXEC));  // takes no lock
        {
            TOutputFile output(old.Path(), nullptr);
            for (size_t at = 0; at < report.size(); at += 100'003) {
                const size_t n = std::min<size_t>(100'003, report.size() - at);
                output.Stream().Write(report.data() + at, static_cast<int32_t>(n));
            }
            if (commit) output.Commit();
        }
        // not EXPECT_EQ: megabytes in a failure message
        EXPECT_TRUE(ReadFileBytes(old.Path()) == (commit ? report : "previous report")) << commit;
        EXPECT_EQ(FolderEntries(old.Folder()), entries) << commit;
        std::string before(15, '\0');
        EXPECT_EQ(::pread(reader.Get(), before.data(), before.size(), 0), 15) << commit;
        EXPECT_EQ(before, "previous report") << commit;
    }
}

TEST(OutputFile, LinksAreFollowedAndNewFilesCreated) {
    TempFile real("previous", "real.txt");
    std::filesystem::create_symlink(real.Path(), real.Sibling("link.txt"));
    for (const auto& [target, written] : {std::pair{real.Sibling("link.txt"), real.Path()},
                                          std::pair{real.Sibling("new.txt"), real.Sibling("new.txt")}}) {
        TOutputFile output(target, nullptr);
        WriteText(output.Stream(), target);
        output.Commit();
        EXPECT_EQ(ReadFileBytes(written), target);
    }
    EXPECT_TRUE(std::filesystem::is_symlink(real.Sibling("link.txt")));
}

TEST(OutputFile, DevicesAreWrittenInPlaceAndNeverRemoved) {
    {
        TOutputFile output("/dev/null", nullptr);
        EXPECT_TRUE(output.InPlace());
        WriteText(output.Stream(), "discarded");
    }
    struct stat info {};
    ASSERT_EQ(::stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));

    // A device that fails to write reports it, with the reason.
    TOutputFile full("/dev/full", nullptr);
    WriteText(full.Stream(), "x");
    try {
        full.Commit();
        ADD_FAILURE() << "a write to /dev/full succeeded";
    } catch (const EOutputWriteError& e) {
        EXPECT_EQ(e.Message(), "書き込みに失敗しました。");
        EXPECT_EQ(e.Context(), std::strerror(ENOSPC));
    }
}
