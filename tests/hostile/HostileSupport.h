// Runs one hostile case in a child process, so that a crash, a hang or a
// runaway allocation is seen as a failed case instead of taking the test
// program down, and so that the case's own peak memory can be measured.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

namespace lumerra::test {

struct TCaseOutcome {
    enum class TKind {
        Report,   // the body returned normally
        Message,  // the body raised an exception that carries a message
        Failed    // a crash, a hang, an exception without message, or no answer
    };
    TKind Kind = TKind::Failed;
    std::string Text;      // what the body returned, or the exception's message
    std::string Failure;   // how the child ended when Kind is Failed
    double Seconds = 0;    // wall-clock time of the child
    int64_t PeakKiB = 0;   // how far the child's resident memory grew at its peak
};

inline std::ostream& operator<<(std::ostream& Out, TCaseOutcome::TKind Kind) {
    switch (Kind) {
        case TCaseOutcome::TKind::Report: return Out << "a report";
        case TCaseOutcome::TKind::Message: return Out << "a message";
        case TCaseOutcome::TKind::Failed: return Out << "a failure";
    }
    return Out;
}

// Each case must finish in this time even under the sanitizers on a busy
// machine (the 768 MiB bombs take 8-15 s alone); it only detects hangs and
// is no performance target.
inline constexpr int HangLimitSeconds = 60;

// Runs Body in a child process. Body returns a short summary of the report it
// wrote; exceptions with a message count as a clear outcome too. The case is
// recorded under Name for the summary printed at the end of the program.
TCaseOutcome RunCase(const std::string& Name, const std::function<std::string()>& Body,
                     int LimitSeconds = HangLimitSeconds);

// Peak growth of a child that does nothing: the noise of the measure.
int64_t BaselineKiB();

// Zero bytes of Size, compressed with zlib without holding them in memory.
std::string ZeroBomb(int64_t Size);

// The number of times Needle occurs in the file at Path, counted while
// reading it in pieces (reports can be larger than the memory budget).
int64_t CountInFile(const std::string& Path, const std::string& Needle);

}  // namespace lumerra::test
