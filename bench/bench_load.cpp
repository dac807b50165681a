// Loading a large document (100,000 objects, 10,000 pages) and listing its
// pages, measured next to plain reads of the same file in the same run: the
// counter "vs_read" is how many read() passes over the whole file the load
// costs, "vs_bytewise" how many passes of one ReadByte per byte of the file.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <stdexcept>

#include "pdf/DefaultAnalyst.h"
#include "pdf/PDFAnalyst.h"
#include "support/DocumentGenerator.h"

using namespace lumerra;
using namespace lumerra::bench;

namespace {

using Clock = std::chrono::steady_clock;


// Reads the whole file once, in 64 KiB pieces; returns the bytes read.
size_t PlainRead(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot open " + path);
    constexpr size_t Chunk = 64 * 1024;
    const auto buffer = std::make_unique_for_overwrite<char[]>(Chunk);
    size_t total = 0;
    for (ssize_t n; (n = ::read(fd, buffer.get(), Chunk)) > 0;) total += static_cast<size_t>(n);
    ::close(fd);
    benchmark::DoNotOptimize(buffer.get());
    return total;
}

// Reads every byte of the file once through the program's own file stream,
// one byte at a time, as the lexer does.
size_t BytewiseRead(const std::string& path) {
    TFileStream stream(path, TFileStream::TMode::OpenRead);
    size_t total = 0;
    uint8_t sum = 0;
    for (uint8_t c; stream.ReadByte(c);) {
        sum = static_cast<uint8_t>(sum + c);
        ++total;
    }
    benchmark::DoNotOptimize(sum);
    return total;
}

size_t LoadAndListPages(const std::string& path) {
    TDefaultAnalyst analyst;
    analyst.LoadFromFile(path);
    TIDList pages;
    analyst.GetPageList(&pages);
    if (pages.size() != 10000 || analyst.ObjectCount() != 100000) throw std::runtime_error("unexpected document");
    return pages.size();
}

void BM_LoadAndPageList(benchmark::State& state) {
    const std::string& path = DefaultShapeDocument().Path();
    double loadSeconds = 0;
    double readSeconds = 0;
    double bytewiseSeconds = 0;
    size_t bytes = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        benchmark::DoNotOptimize(LoadAndListPages(path));
        const auto loaded = Clock::now();
        state.PauseTiming();
        const auto readStart = Clock::now();
        bytes = PlainRead(path);
        const auto bytewiseStart = Clock::now();
        readSeconds += std::chrono::duration<double>(bytewiseStart - readStart).count();
        benchmark::DoNotOptimize(BytewiseRead(path));
        bytewiseSeconds += std::chrono::duration<double>(Clock::now() - bytewiseStart).count();
        state.ResumeTiming();
        loadSeconds += std::chrono::duration<double>(loaded - start).count();
    }
    state.counters["file_MiB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
    state.counters["read_ms"] = benchmark::Counter(readSeconds * 1000.0, benchmark::Counter::kAvgIterations);
    state.counters["bytewise_ms"] = benchmark::Counter(bytewiseSeconds * 1000.0, benchmark::Counter::kAvgIterations);
    state.counters["vs_read"] = readSeconds > 0 ? loadSeconds / readSeconds : 0;
    state.counters["vs_bytewise"] = bytewiseSeconds > 0 ? loadSeconds / bytewiseSeconds : 0;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_LoadAndPageList)->Unit(benchmark::kMillisecond);

// Loading alone (header, tail, the table of 100,000 entries, catalog, first page).
void BM_LoadOnly(benchmark::State& state) {
    const std::string& path = DefaultShapeDocument().Path();
    for (auto _ : state) {
        TDefaultAnalyst analyst;
        analyst.LoadFromFile(path);
        benchmark::DoNotOptimize(analyst.ObjectCount());
    }
}
BENCHMARK(BM_LoadOnly)->Unit(benchmark::kMillisecond);

// The reference: one plain read of the same file.
void BM_PlainRead(benchmark::State& state) {
    const std::string& path = DefaultShapeDocument().Path();
    size_t bytes = 0;
    for (auto _ : state) bytes = PlainRead(path);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
