// One file taking another's name: the target changes in one step, the file
// that had the name is handed back with no name left, and nothing else is
// left in the folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <string>

#include "common/ReplaceName.h"
#include "support/PdfBuilder.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

std::set<std::string> FolderEntries(const std::string& Folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Folder)) names.insert(entry.path().filename());
    return names;
}

}  // namespace

TEST(ReplaceName, TheTargetChangesInOneStepAndNothingIsLeft) {
    struct Case {
        std::string Name;
        bool FromExists, ToExists;
        int Error;
        std::string ToAfter;
        bool PreviousHandedBack;
    };
    const std::vector<Case> cases = {
        {"over a file", true, true, 0, "new", true},
        {"to a new name", true, false, 0, "new", false},
        {"from nothing", false, true, ENOENT, "previous", false},
    };
    for (const Case& c : cases) {
        TempFile to("previous", "report.txt");
        const std::string from = to.Sibling(".report.txt.tmp");
        if (c.FromExists) WriteFileBytes(from, "new");
        if (!c.ToExists) std::filesystem::remove(to.Path());
        std::set<std::string> expected = FolderEntries(to.Folder());
        expected.erase(".report.txt.tmp");
        if (c.Error == 0) expected.insert("report.txt");

        const TNameReplaced replaced = ReplaceName(from, to.Path());
        EXPECT_EQ(replaced.Error, c.Error) << c.Name;
        EXPECT_EQ(ReadFileBytes(to.Path()), c.ToAfter) << c.Name;
        EXPECT_EQ(FolderEntries(to.Folder()), expected) << c.Name;
        ASSERT_EQ(replaced.Previous.Valid(), c.PreviousHandedBack) << c.Name;
        if (c.PreviousHandedBack) {
            struct stat info {};
            ASSERT_EQ(::fstat(replaced.Previous.Get(), &info), 0) << c.Name;
            EXPECT_EQ(info.st_nlink, 0u) << c.Name << ": the previous file still has a name";
            EXPECT_EQ(info.st_size, 8) << c.Name << ": the previous file was changed";
        }
    }
}
