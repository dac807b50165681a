// Shared steps of the hostile cases: loading a file and writing its report
// the way the programs do, and the checks on a case's outcome.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "hostile/HostileSupport.h"

namespace lumerra::test {

// Memory a case may use above the baseline. Generous, since the sanitizers'
// quarantine keeps freed blocks resident; a case that holds data in
// proportion to what it decodes or repeats goes far beyond it.
inline constexpr int64_t MemoryBudgetKiB = 512 * 1024;

// Loads the file at Path and writes every page of its page list into the
// report at Report, in the default or the extended reading; AfterLoad, when
// given, acts between the two. Returns "pages=N bytes=M".
std::string WriteReport(const std::string& Path, const std::string& Report, bool WithComments,
                        bool Extended = false, int32_t Threads = 1, const std::function<void()>& AfterLoad = nullptr);

// "N 0 R".
inline std::string Ref(int N) { return std::to_string(N) + " 0 R"; }

// "/P0 N 0 R /P1 N 0 R ..." for Count names with the given Prefix that all
// refer to object N.
inline std::string NamesFor(const std::string& Prefix, int Count, int N) {
    std::string out;
    for (int i = 0; i < Count; ++i) out += "/" + Prefix + std::to_string(i) + " " + Ref(N) + " ";
    return out;
}

// Piece, Times times over.
inline std::string Repeat(const std::string& Piece, size_t Times) {
    std::string out;
    out.reserve(Piece.size() * Times);
    for (size_t i = 0; i < Times; ++i) out += Piece;
    return out;
}

// The case ended with a report or a message, in time and within the budget.
inline void ExpectClearOutcome(const TCaseOutcome& Outcome) {
    EXPECT_NE(Outcome.Kind, TCaseOutcome::TKind::Failed) << Outcome.Failure;
    EXPECT_LT(Outcome.PeakKiB, MemoryBudgetKiB) << "peak " << Outcome.PeakKiB << " KiB";
}

inline void ExpectReport(const TCaseOutcome& Outcome) {
    ExpectClearOutcome(Outcome);
    EXPECT_EQ(Outcome.Kind, TCaseOutcome::TKind::Report) << Outcome.Text;
}

inline void ExpectMessage(const TCaseOutcome& Outcome, const std::string& Message = "") {
    ExpectClearOutcome(Outcome);
    EXPECT_EQ(Outcome.Kind, TCaseOutcome::TKind::Message) << Outcome.Text;
    if (!Message.empty()) {
        EXPECT_EQ(Outcome.Text, Message);
    }
}

}  // namespace lumerra::test
