// Tasks run one at a time in worker processes that a parent supervises: a
// task that crashes its worker, outruns its time or its memory costs only
// itself, and a fresh worker takes the next one.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cli/pipeline/Frame.h"

namespace lumerra::cli::pipeline {

// Sanitizer builds reserve far more address space than any limit allows, so
// they run without one.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool MemoryLimitApplies = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
inline constexpr bool MemoryLimitApplies = false;
#else
inline constexpr bool MemoryLimitApplies = true;
#endif
#else
inline constexpr bool MemoryLimitApplies = true;
#endif

struct TLimits {
    std::chrono::milliseconds Timeout{60'000};
    uint64_t MaxMemoryMiB = 2048;  // data of each worker (RLIMIT_DATA); 0 for none
};

// How a task ended, as the parent saw it.
struct TTaskEnd {
    enum class TKind : uint8_t { Done, TimedOut, MemoryLimit, Crashed };
    TKind Kind = TKind::Done;
    int Signal = 0;  // what ended a crashed worker; 0 when it exited
    int ExitStatus = 0;  // what a crashed worker that exited gave
    std::vector<TFrame> Frames;  // what the worker told about the task
    int64_t ElapsedMs = 0;
};

// In the worker: does task Index, telling the parent through Tell. The last
// frame told ends the task; its Kind must be FinalFrame.
using TTaskWork = std::function<void(size_t Index, const std::function<void(const TFrame&)>& Tell)>;
inline constexpr char FinalFrame = 'D';
// In the parent: task Index has ended, in the order tasks end.
using TTaskEnded = std::function<void(size_t Index, TTaskEnd End)>;

// Runs tasks 0 .. Count-1 in up to Jobs workers, each forked from this
// process. False when Ctrl-C stopped the run: the workers are then killed,
// and the tasks they held are not told.
bool RunSupervised(size_t Count, int32_t Jobs, const TLimits& Limits, const TTaskWork& Work,
                   const TTaskEnded& Ended);

}  // namespace lumerra::cli::pipeline
