// Keeping a file in a helper process, so that the last close of a file
// that has lost its name, which frees all of its space (tens of
// milliseconds for a large report on a busy machine), happens in the helper
// rather than here: a process that ends right after, and whoever waits for
// it, need not wait for it.
//
// The helper is /bin/cat holding the file and reading a pipe from this
// process. It is started in the background, so that the run it goes with
// need not wait for it either, and ends when the keeper does, after this
// process has let go of its own handles. A thread of this process reaps
// it, or init does once this process has ended.
#pragma once

#include <future>
#include <string>

#include "common/UniqueFd.h"

namespace lumerra {

class TFileKeeper {
public:
    // Holds the file that has the name Path now (not the name); does
    // nothing when there is none or no helper can be started.
    explicit TFileKeeper(const std::string& Path);
    // The helper ends: close every handle of this process to the file
    // before, so that the helper's is the last.
    ~TFileKeeper();
    TFileKeeper(const TFileKeeper&) = delete;
    TFileKeeper& operator=(const TFileKeeper&) = delete;

private:
    UniqueFd FReleaseEnd;      // the helper ends when this closes
    std::future<void> FStarted;  // ready once the helper holds the file
};

}  // namespace lumerra
