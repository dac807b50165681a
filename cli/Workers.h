// Several files decoded at once: each worker is a child process with its own
// share of the files, so nothing is shared between the documents being read.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lumerra::cli {

// Runs Task over Inputs in up to Jobs child processes, each taking every
// Jobs-th input in turn, and waits for them all. The exit code is 130 when
// any worker was interrupted (Ctrl-C reaches them all; this process then
// only waits), otherwise the worst one (WorseExitCode); a worker that died
// counts as a failure.
// With one job or one input, Task runs here on all inputs.
int RunInWorkers(const std::vector<std::string>& Inputs, int32_t Jobs,
                 const std::function<int(const std::vector<std::string>&)>& Task);

}  // namespace lumerra::cli
