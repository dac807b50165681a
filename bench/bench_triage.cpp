// Triage measured side by side with a baseline in one run:
// - the raw keyword counter over 64 MiB of mixed bytes (names, escapes,
//   binary data) against one plain pass that sums the same bytes; "ratio"
//   is the counter's time over the pass's;
// - the name scan of a 2,000-page document in object streams against its
//   load alone: "ratio" is load and scan over load, what the desktop
//   program's summary line adds to opening a file.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "pdf/ExtendedAnalyst.h"
#include "pdf/PDFAnalyst.h"
#include "support/PdfBuilder.h"
#include "triage/NameScan.h"
#include "triage/RawKeywords.h"

namespace {

// The thread's processor time: the machines that run this are shared, and
// wall time there mostly measures the neighbours.
struct TClock {
    static double now() {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
    }
};

double Seconds(double Start) { return TClock::now() - Start; }

std::vector<uint8_t> MixedBytes() {
    std::mt19937 random(7);
    const std::string pieces[] = {"/JS ", "/J#61vaScript ", "1 0 obj << /Type /Page >> endobj\n", "%%EOF\r\n",
                                  "/Launch#20", "stream\n"};
    std::vector<uint8_t> bytes;
    bytes.reserve(64 << 20);
    while (bytes.size() < (64u << 20)) {
        if (random() % 2 == 0) {
            const std::string& piece = pieces[random() % std::size(pieces)];
            bytes.insert(bytes.end(), piece.begin(), piece.end());
        } else {
            for (int i = 0; i < 64; ++i) bytes.push_back(static_cast<uint8_t>(random()));
        }
    }
    return bytes;
}

void BM_RawCounterAgainstOnePass(benchmark::State& state) {
    const std::vector<uint8_t> bytes = MixedBytes();
    double counterBest = 1e9, passBest = 1e9;
    for (auto _ : state) {
        auto start = TClock::now();
        const uint64_t sum = std::accumulate(bytes.begin(), bytes.end(), uint64_t{0});
        benchmark::DoNotOptimize(sum);
        passBest = std::min(passBest, Seconds(start));
        start = TClock::now();
        lumerra::TRawKeywordCounter counter;
        counter.Add(bytes);
        benchmark::DoNotOptimize(counter.Finish().Keywords[10].Raw);
        counterBest = std::min(counterBest, Seconds(start));
    }
    state.counters["counter_MiB_per_s"] = 64 / counterBest;
    state.counters["pass_MiB_per_s"] = 64 / passBest;
    state.counters["ratio"] = counterBest / passBest;
}
BENCHMARK(BM_RawCounterAgainstOnePass)->Unit(benchmark::kMillisecond)->Iterations(5);

std::string Document() {
    lumerra::test::PdfBuilder::Options options;
    options.XrefStreams = options.ObjectStreams = true;
    lumerra::test::PdfBuilder b(options);
    b.Set(1, "<< /Type /Catalog /Pages 2 0 R /OpenAction 3 0 R >>");
    b.Set(3, "<< /S /JavaScript /JS (app.alert\\(1\\)) >>");
    std::string kids;
    for (int page = 0; page < 2000; ++page) {
        const int number = 10 + 2 * page;
        kids += std::to_string(number) + " 0 R ";
        b.Set(number, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /AA << /O 3 0 R >> /Contents " +
                          std::to_string(number + 1) + " 0 R >>");
        b.SetStream(number + 1, "", "BT /F1 10 Tf 72 700 Td (page) Tj ET");
    }
    b.Set(2, "<< /Type /Pages /Kids [" + kids + "] /Count 2000 >>");
    return b.Build();
}

void BM_NameScanAgainstLoad(benchmark::State& state) {
    const lumerra::test::TempFile file(Document(), "doc.pdf");
    double loadBest = 1e9, scanBest = 1e9;
    for (auto _ : state) {
        auto start = TClock::now();
        lumerra::TExtendedAnalyst analyst;
        analyst.LoadFromFile(file.Path());
        const double load = Seconds(start);
        start = TClock::now();
        benchmark::DoNotOptimize(lumerra::ScanNameKeywords(analyst)[12].size());
        loadBest = std::min(loadBest, load);
        scanBest = std::min(scanBest, Seconds(start) + load);
    }
    state.counters["load_ms"] = loadBest * 1000;
    state.counters["load_and_scan_ms"] = scanBest * 1000;
    state.counters["ratio"] = scanBest / loadBest;
}
BENCHMARK(BM_NameScanAgainstLoad)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
