// One file taking another's name: the target changes in one step, the file
// that had the name is handed back with no name left, and nothing else is
// left in the folder.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>

#include "common/CloseInHelper.h"
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

bool Eventually(const std::function<bool()>& Condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!Condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// The children of every thread of this process, zombies included.
std::string Children() {
    std::string all;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream in(task.path() / "children");
        std::string line;
        std::getline(in, line);
        all += line;
    }
    return all;
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

// The helper really holds the file, lets it go, and is reaped: a lock that
// goes with the last close of the file is freed, and no child is left.
TEST(CloseInHelper, TheFileIsReleasedAndTheHelperReaped) {
    for (const bool onDescriptor3 : {false, true}) {
        TempFile file("locked", "held.txt");
        UniqueFd held(::open(file.Path().c_str(), O_RDWR | O_CLOEXEC));
        ASSERT_TRUE(held.Valid());
        if (onDescriptor3 && ::fcntl(3, F_GETFD) < 0) {
            ASSERT_EQ(::dup3(held.Get(), 3, O_CLOEXEC), 3);
            held.Reset(3);
        }
        ASSERT_EQ(::flock(held.Get(), LOCK_EX), 0);
        const int number = held.Get();
        CloseInHelper(std::move(held));
        EXPECT_TRUE(::fcntl(number, F_GETFD) < 0 || number == 3) << "still open here";
        UniqueFd other(::open(file.Path().c_str(), O_RDONLY | O_CLOEXEC));
        EXPECT_TRUE(Eventually([&] { return ::flock(other.Get(), LOCK_EX | LOCK_NB) == 0; })) << onDescriptor3;
        EXPECT_TRUE(Eventually([] { return Children().find_first_not_of(' ') == std::string::npos; }))
            << "left unreaped: " << Children();
    }
}
