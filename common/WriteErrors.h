// Whether a file system tells a full disk when the data is written, or only
// later, when it reaches the disk.
#pragma once

namespace lumerra {

// True for the file systems that reserve the space of every write (ext2/3/4,
// XFS, Btrfs, tmpfs): a full disk or quota then fails the write itself.
// Elsewhere (NFS, FUSE, unknown ones) only fsync tells for sure.
bool WritesReserveSpace(int Handle);

}  // namespace lumerra
