// Ctrl-C during a run: the handler only raises a flag, which the decoder
// looks at after each page (as the desktop program does with Escape).
#pragma once

#include <signal.h>

namespace lumerra::cli {

// Installs the SIGINT handler for its lifetime and clears the flag; the
// previous handler comes back when the guard ends.
class TInterruptGuard {
public:
    TInterruptGuard();
    ~TInterruptGuard();
    TInterruptGuard(const TInterruptGuard&) = delete;
    TInterruptGuard& operator=(const TInterruptGuard&) = delete;

private:
    struct sigaction FPrevious {};
};

// True once per Ctrl-C since the last call.
bool TakeInterrupt();

}  // namespace lumerra::cli
