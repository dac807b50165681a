// Starts the disk write of a file's data while more of it is being written,
// so that the fsync which makes it durable finds little left to do.
#pragma once

#include <cstdint>

namespace lumerra {

class TWriteBehind {
public:
    // The descriptor is not owned.
    explicit TWriteBehind(int Handle) : FHandle(Handle) {}

    // The file now holds Size bytes: the write of every whole window before
    // that is started, and the window before the last is waited for, so
    // that dirty pages stay bounded. Failures are left to the fsync.
    void Written(int64_t Size);

    // Bytes in one write started at a time.
    static constexpr int64_t Window = 4 << 20;

private:
    int FHandle;
    int64_t FStarted = 0;  // bytes whose write has been started
};

}  // namespace lumerra
