// Reading a large document's history (100,000 objects, 10,000 pages: every
// object looked at for signatures) measured next to its extended load in
// the same run: the counter "vs_load" is what the history costs as a share
// of the load the desktop program does before it.
#include <benchmark/benchmark.h>

#include <chrono>
#include <stdexcept>

#include "history/DocumentHistory.h"
#include "pdf/ExtendedAnalyst.h"
#include "pdf/PDFAnalyst.h"
#include "support/DocumentGenerator.h"

using namespace lumerra;
using namespace lumerra::bench;

namespace {

using Clock = std::chrono::steady_clock;


void BM_HistoryAfterExtendedLoad(benchmark::State& state) {
    const std::string& path = DefaultShapeDocument().Path();
    double loadSeconds = 0;
    double historySeconds = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        TExtendedAnalyst analyst;
        analyst.LoadFromFile(path);
        TIDList pages;
        analyst.GetPageList(&pages);
        const auto loaded = Clock::now();
        const TDocumentHistory history = ReadDocumentHistory(analyst);
        const auto read = Clock::now();
        if (history.Chain.Revisions.size() != 1 || history.Changes[0].Added.size() != 99999)
            throw std::runtime_error("unexpected history");
        loadSeconds += std::chrono::duration<double>(loaded - start).count();
        historySeconds += std::chrono::duration<double>(read - loaded).count();
    }
    state.counters["load_ms"] = benchmark::Counter(loadSeconds * 1000.0, benchmark::Counter::kAvgIterations);
    state.counters["history_ms"] = benchmark::Counter(historySeconds * 1000.0, benchmark::Counter::kAvgIterations);
    state.counters["vs_load"] = loadSeconds > 0 ? historySeconds / loadSeconds : 0;
}
BENCHMARK(BM_HistoryAfterExtendedLoad)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
