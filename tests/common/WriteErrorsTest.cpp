// Which file systems fail the write itself on a full disk, so that the
// report need not be synced before it takes its name.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/vfs.h>

#include <filesystem>
#include <linux/magic.h>

#include "common/UniqueFd.h"
#include "common/WriteErrors.h"

using namespace lumerra;

TEST(WritesReserveSpace, KnownFileSystemsOnlyAndNeverOnFailure) {
    struct Case {
        std::string Path;
        long Type;  // skipped where something else is mounted there
        bool Expected;
    };
    const std::vector<Case> cases = {
        {"/dev/shm", TMPFS_MAGIC, true},
        {"/proc/self/status", PROC_SUPER_MAGIC, false},
        {"/sys/kernel", SYSFS_MAGIC, false},
    };
    for (const Case& c : cases) {
        struct statfs info {};
        if (::statfs(c.Path.c_str(), &info) != 0 || info.f_type != c.Type) continue;  // not mounted here
        UniqueFd handle(::open(c.Path.c_str(), O_RDONLY | O_CLOEXEC));
        ASSERT_TRUE(handle.Valid()) << c.Path;
        EXPECT_EQ(WritesReserveSpace(handle.Get()), c.Expected) << c.Path;
    }
    EXPECT_FALSE(WritesReserveSpace(-1));
}
