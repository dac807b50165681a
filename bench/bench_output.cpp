// What the report's file costs on its own: 64 MiB written through
// TOutputFile to a new file and over the previous one, in turn in the same
// run, each going first every other time, median of the iterations each.
// The disk is synced before each and left alone for half a second (see
// BM_ReplaceVersusNew), and the file is in the temporary folder (TMPDIR):
// run it once on a disk and once on /dev/shm. For a new file the
// previous one is renamed aside before and removed after, so that both
// find the same memory free. "extra_ms" is what replacing adds, the number
// to set against a whole run's time (BM_ReplaceVersusNew in bench_decode).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "common/OutputFile.h"

namespace {

constexpr int32_t Block = 64 * 1024;
constexpr int Blocks = 1024;

double Median(std::vector<double> Values) {
    std::sort(Values.begin(), Values.end());
    const size_t half = Values.size() / 2;
    return Values.size() % 2 == 1 ? Values[half] : (Values[half - 1] + Values[half]) / 2;
}

void BM_OutputReplaceVersusNew(benchmark::State& state) {
    const std::string path = (std::filesystem::temp_directory_path() / "lumerra-bench-output.txt").string();
    const std::string aside = path + ".aside";
    std::string block(Block, '\0');
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>('a' + i % 26);
    std::vector<double> fresh, replace;
    auto write = [&] {
        lumerra::TOutputFile output(path, nullptr);
        for (int i = 0; i < Blocks; ++i) output.Stream().Write(block.data(), Block);
        output.Commit();
    };
    auto run = [&](bool Replace) {
        if (!Replace) std::filesystem::rename(path, aside);
        ::sync();
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const auto start = std::chrono::steady_clock::now();
        write();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        (Replace ? replace : fresh).push_back(seconds);
        std::filesystem::remove(aside);
    };
    write();
    for (auto _ : state) {
        const bool replaceFirst = state.iterations() % 2 == 1;
        run(replaceFirst);
        run(!replaceFirst);
    }
    std::filesystem::remove(path);
    const double extra = Median(replace) - Median(fresh);
    state.counters["extra_ms"] = extra * 1e3;
    std::printf("64 MiB report in %s: replacing %.1f ms, writing a new one %.1f ms (medians): %.1f ms more\n",
                std::filesystem::temp_directory_path().c_str(), Median(replace) * 1e3, Median(fresh) * 1e3,
                extra * 1e3);
}
BENCHMARK(BM_OutputReplaceVersusNew)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
