// Extended reading: the same 2,000-page document with a classic table and
// with every object that can be in object streams (and cross-reference
// streams), reported side by side in one run. "ratio" is the object-stream
// form's time over the classic form's (the target is at most 1.2). The same
// for a damaged file whose table is rebuilt (at most 1.5).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "decoder/PDFLumerra.h"
#include "pdf/ExtendedAnalyst.h"
#include "support/PdfBuilder.h"

namespace {

constexpr int Pages = 2000;
constexpr int KidsPerNode = 50;

std::string Document(bool ObjectStreams, bool Plain = false) {
    lumerra::test::PdfBuilder::Options options;
    options.Header = "%PDF-1.5\n";
    options.XrefStreams = ObjectStreams;
    options.ObjectStreams = ObjectStreams;
    lumerra::test::PdfBuilder b(options);
    b.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    b.Set(3, "<< /Font << /F1 4 0 R /F2 5 0 R >> /XObject << /Im1 6 0 R >> >>");
    b.Set(4, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    b.Set(5, "<< /Type /Font /Subtype /Type1 /BaseFont /Times-Roman >>");
    b.SetStream(6, "/Subtype /Image /Width 1 /Height 1", "x");
    std::string rootKids;
    int next = 10;
    for (int node = 0; node < Pages / KidsPerNode; ++node) {
        const int nodeNumber = next++;
        rootKids += std::to_string(nodeNumber) + " 0 R ";
        std::string kids;
        for (int k = 0; k < KidsPerNode; ++k) {
            const int page = next++;
            const int content = next++;
            kids += std::to_string(page) + " 0 R ";
            b.Set(page, "<< /Type /Page /Parent " + std::to_string(nodeNumber) + " 0 R /Resources 3 0 R /Contents " +
                            std::to_string(content) + " 0 R >>");
            std::string text;
            for (int line = 0; line < (Plain ? 300 : 40); ++line)
                text += "BT /F1 10 Tf 72 " + std::to_string(700 - line * 15) + " Td (Line " + std::to_string(line) +
                        " of page " + std::to_string(page) + ") Tj ET\n";
            if (Plain)
                b.SetStream(content, "", text);
            else
                b.SetStream(content, "/Filter /FlateDecode", lumerra::test::Deflate(text));
        }
        b.Set(nodeNumber, "<< /Type /Pages /Parent 2 0 R /Kids [" + kids + "] /Count " + std::to_string(KidsPerNode) + " >>");
    }
    b.Set(2, "<< /Type /Pages /Kids [" + rootKids + "] /Count " + std::to_string(Pages) + " >>");
    return b.Build();
}

double ReportSeconds(const lumerra::test::TempFile& File) {
    const auto start = std::chrono::steady_clock::now();
    lumerra::TExtendedAnalyst analyst;
    analyst.LoadFromFile(File.Path());
    lumerra::TIDList pages;
    analyst.GetPageList(&pages);
    lumerra::TPDFLumerra decoder(&analyst);
    lumerra::TMemoryStream out;
    bool cancel = false;
    decoder.DecodeToStream(out, 1, static_cast<int32_t>(pages.size()), true, nullptr, cancel);
    benchmark::DoNotOptimize(out.Size());
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Both files reported alternately, best of the iterations each; prints and
// counts the ratio of the second's time over the first's.
void Compare(benchmark::State& state, const char* What, const std::string& First, const std::string& Second) {
    const lumerra::test::TempFile first(First, "first.pdf");
    const lumerra::test::TempFile second(Second, "second.pdf");
    double firstBest = 1e9, secondBest = 1e9;
    for (auto _ : state) {
        firstBest = std::min(firstBest, ReportSeconds(first));
        secondBest = std::min(secondBest, ReportSeconds(second));
    }
    state.counters["ratio"] = secondBest / firstBest;
    std::printf("%s, %.1f MB, whole extended report: %.3f (%.1f ms / %.1f ms)\n", What, First.size() / 1e6,
                secondBest / firstBest, secondBest * 1e3, firstBest * 1e3);
}

void BM_ObjectStreamsVersusClassic(benchmark::State& state) {
    Compare(state, "object streams / classic table", Document(false), Document(true));
}
BENCHMARK(BM_ObjectStreamsVersusClassic)->Unit(benchmark::kMillisecond)->Iterations(10);

// A file of about 30 MB whose table, trailer and startxref are cut off, so
// that its table is rebuilt, against the whole file read by its table.
void BM_RebuildVersusTable(benchmark::State& state) {
    const std::string whole = Document(false, true);
    Compare(state, "rebuilt table / file's own table", whole, whole.substr(0, whole.rfind("xref")));
}
BENCHMARK(BM_RebuildVersusTable)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
