#include "common/WriteErrors.h"

#include <linux/magic.h>
#include <sys/vfs.h>

namespace lumerra {

bool WritesReserveSpace(int Handle) {
    struct statfs info {};
    if (::fstatfs(Handle, &info) != 0) return false;
    switch (info.f_type) {
        case EXT4_SUPER_MAGIC:  // also ext2 and ext3
        case XFS_SUPER_MAGIC:
        case BTRFS_SUPER_MAGIC:
        case TMPFS_MAGIC:
            return true;
        default:
            return false;
    }
}

}  // namespace lumerra
