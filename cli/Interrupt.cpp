#include "cli/Interrupt.h"

#include <csignal>

namespace lumerra::cli {

namespace {

// Written by the signal handler, read and cleared by the run.
volatile std::sig_atomic_t InterruptRequested = 0;

extern "C" void OnInterrupt(int) { InterruptRequested = 1; }

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

}  // namespace lumerra::cli
