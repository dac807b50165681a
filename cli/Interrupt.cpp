#include "cli/Interrupt.h"

#include <limits.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

namespace lumerra::cli {

namespace {

// Written by the signal handler, read and cleared by the run.
volatile std::sig_atomic_t InterruptRequested = 0;

extern "C" void OnInterrupt(int) { InterruptRequested = 1; }

// The one file a terminating signal removes. A handler may only read plain
// memory, so the name lives in a fixed buffer, valid while the flag is set.
char RemovalPath[PATH_MAX];
volatile std::sig_atomic_t RemovalPathSet = 0;

const int TerminatingSignals[] = {SIGTERM, SIGHUP, SIGPIPE};

extern "C" void OnTermination(int Signal) {
    if (RemovalPathSet != 0) ::unlink(RemovalPath);
    // The handler was reset on entry: the signal now ends the process with
    // the status that its sender expects.
    ::raise(Signal);
}

}  // namespace

TInterruptGuard::TInterruptGuard() {
    InterruptRequested = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;  // a read interrupted by Ctrl-C goes on
    sigaction(SIGINT, &action, &FPrevious);
}

TInterruptGuard::~TInterruptGuard() { sigaction(SIGINT, &FPrevious, nullptr); }

bool TakeInterrupt() {
    if (InterruptRequested == 0) return false;
    InterruptRequested = 0;
    return true;
}

TTerminationGuard::TTerminationGuard() {
    struct sigaction action {};
    action.sa_handler = OnTermination;
    sigemptyset(&action.sa_mask);
    for (const int signal : TerminatingSignals) sigaddset(&action.sa_mask, signal);
    action.sa_flags = SA_RESETHAND;
    for (int i = 0; i < SignalCount; ++i) sigaction(TerminatingSignals[i], &action, &FPrevious[i]);
}

TTerminationGuard::~TTerminationGuard() {
    RemoveOnSignal("");
    for (int i = 0; i < SignalCount; ++i) sigaction(TerminatingSignals[i], &FPrevious[i], nullptr);
}

void TTerminationGuard::RemoveOnSignal(const std::string& Path) {
    RemovalPathSet = 0;
    if (Path.empty() || Path.size() >= sizeof RemovalPath) return;
    std::memcpy(RemovalPath, Path.c_str(), Path.size() + 1);
    RemovalPathSet = 1;
}

}  // namespace lumerra::cli
