// "check --objects" against "decode --extended -j 1", side by side in one
// run, on the benchmarks' default-shape document: the lumerra program built
// beside this one run as a user runs it. "ratio" is the object check's
// processor time over the decode's; the target is at most 1.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "support/DocumentGenerator.h"
#include "support/Process.h"

namespace {

void BM_ObjectCheckVersusDecode(benchmark::State& state) {
    const std::string& file = lumerra::bench::DefaultShapeDocument().Path();
    const std::string report = lumerra::bench::BenchTempPath("objects-report.txt");
    const std::vector<std::string> decode = {LUMERRA_CLI_PATH, "decode", "--quiet", "--extended", "-j", "1",
                                             "-o", report, file};
    const std::vector<std::string> check = {LUMERRA_CLI_PATH, "check", "--objects", file};
    double decodeCpu = 1e9, checkCpu = 1e9, decodeWall = 1e9, checkWall = 1e9, checkMiB = 0;
    for (auto _ : state) {
        const lumerra::bench::TProcessRun decoded = lumerra::bench::SpawnAndWait(decode, true);
        // The check exits with 3 when it finds an error: not a failure here.
        lumerra::bench::TProcessRun checked;
        try {
            checked = lumerra::bench::SpawnAndWait(check, true);
        } catch (const std::exception&) {
            state.SkipWithError("check --objects failed");
            return;
        }
        decodeCpu = std::min(decodeCpu, decoded.CpuSeconds);
        decodeWall = std::min(decodeWall, decoded.Seconds);
        checkCpu = std::min(checkCpu, checked.CpuSeconds);
        checkWall = std::min(checkWall, checked.Seconds);
        checkMiB = std::max(checkMiB, checked.PeakMiB);
    }
    std::remove(report.c_str());
    state.counters["ratio"] = checkCpu / decodeCpu;
    state.counters["wall_ratio"] = checkWall / decodeWall;
    state.counters["check_MiB"] = checkMiB;
    std::printf("check --objects / decode --extended -j 1: %.3f cpu (%.1f ms / %.1f ms), %.3f wall, %.0f MiB\n",
                checkCpu / decodeCpu, checkCpu * 1e3, decodeCpu * 1e3, checkWall / decodeWall, checkMiB);
}
BENCHMARK(BM_ObjectCheckVersusDecode)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
