// Running a program as a user does, for the benchmarks that time whole
// processes, and where their files go.
#pragma once

#include <string>
#include <vector>

namespace lumerra::bench {

// A file for a benchmark's documents and reports: on memory-backed /dev/shm
// where there is one, so that the figures measure the program rather than
// the disk.
std::string BenchTempPath(const std::string& Name);

struct TProcessRun {
    double Seconds = 0;     // wall time
    double CpuSeconds = 0;  // user and system time
    double PeakMiB = 0;     // the largest resident size the process reached
};

// Starts Arguments (the program is looked for on PATH) and waits for it.
// Quiet throws its standard output and error away. Throws when the program
// cannot be started or does not exit with 0.
TProcessRun SpawnAndWait(const std::vector<std::string>& Arguments, bool Quiet = false);

}  // namespace lumerra::bench
