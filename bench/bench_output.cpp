// What the report's file costs on its own: 64 MiB written through
// TOutputFile to a new file and over the previous one, alternately in the
// same run, each going first every other time, best of the iterations
// each. The disk is synced before each, and the file is in the temporary
// folder (TMPDIR), on a disk rather than in memory. "extra_ms" is what
// replacing adds, the number to set against a whole run's time
// (BM_ReplaceVersusNew in bench_decode).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "common/OutputFile.h"

namespace {

constexpr int32_t Block = 64 * 1024;
constexpr int Blocks = 1024;

void BM_OutputReplaceVersusNew(benchmark::State& state) {
    const std::string path = (std::filesystem::temp_directory_path() / "lumerra-bench-output.txt").string();
    std::string block(Block, '\0');
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>('a' + i % 26);
    double fresh = 1e9, replace = 1e9;
    auto run = [&](bool Replace) {
        if (!Replace) std::filesystem::remove(path);
        ::sync();
        const auto start = std::chrono::steady_clock::now();
        lumerra::TOutputFile output(path, nullptr);
        for (int i = 0; i < Blocks; ++i) output.Stream().Write(block.data(), Block);
        output.Commit();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        (Replace ? replace : fresh) = std::min(Replace ? replace : fresh, seconds);
    };
    run(false);
    for (auto _ : state) {
        const bool replaceFirst = state.iterations() % 2 == 1;
        run(replaceFirst);
        run(!replaceFirst);
    }
    std::filesystem::remove(path);
    state.counters["extra_ms"] = (replace - fresh) * 1e3;
    std::printf("64 MiB report: replacing %.1f ms, writing a new one %.1f ms: %.1f ms more\n", replace * 1e3,
                fresh * 1e3, (replace - fresh) * 1e3);
}
BENCHMARK(BM_OutputReplaceVersusNew)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
