// Signals during a run. Ctrl-C only raises a flag, which the decoder looks
// at after each page (as the desktop program does with Escape). SIGTERM,
// SIGHUP and SIGPIPE end the process at once, but first remove the report's
// temporary file if it has a name on disk.
#pragma once

#include <signal.h>

#include <string>

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

// Installs the handlers of the signals that end the process for its
// lifetime; the previous ones come back when the guard ends.
class TTerminationGuard {
public:
    TTerminationGuard();
    ~TTerminationGuard();
    TTerminationGuard(const TTerminationGuard&) = delete;
    TTerminationGuard& operator=(const TTerminationGuard&) = delete;

    // The file to remove when such a signal comes; "" for none. Fits the
    // watch of TOutputFile.
    static void RemoveOnSignal(const std::string& Path);

private:
    static constexpr int SignalCount = 3;
    struct sigaction FPrevious[SignalCount] {};
};

}  // namespace lumerra::cli
