// "check" against "decode", side by side in one run: the same 1,000-page
// document (Flate content of text, paths, colours, marked content, an inline
// image and a form per page) loaded and decoded into the report, and loaded
// and checked. "ratio" is the check's time over the report's; the target is
// at most 1.3. Both run on one thread; times are processor time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>

#include "check/PageCheck.h"
#include "decoder/PDFLumerra.h"
#include "support/PdfBuilder.h"

namespace {

constexpr int Pages = 1000;

std::string PageContent(int Page) {
    std::string text = "/Tag <</MCID 0>> BDC q 1 0 0 1 0 0 cm\n";
    for (int line = 0; line < 60; ++line) {
        const std::string y = std::to_string(700 - line * 11);
        text += "BT /F1 10 Tf 72 " + y + " Td [(Line " + std::to_string(line) + " of page " + std::to_string(Page) +
                ") -250 (and more)] TJ ET\n";
        text += "/CS0 cs 0.2 0.4 0.6 sc 0.5 w 72 " + y + " m 540 " + y + " l S 0 0 10 10 re f\n";
    }
    text += "BI /W 4 /H 2 /BPC 8 /CS /G ID 01234567 EI\n/GS1 gs /Fm0 Do Q EMC\n";
    return text;
}

std::string Document() {
    lumerra::test::PdfBuilder::Options options;
    options.Header = "%PDF-1.7\n";
    lumerra::test::PdfBuilder b(options);
    b.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    b.Set(3, "<< /Font << /F1 4 0 R >> /XObject << /Fm0 5 0 R >> /ExtGState << /GS1 << /LW 1 >> >> "
             "/ColorSpace << /CS0 /DeviceRGB >> >>");
    b.Set(4, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    b.SetStream(5, "/Type /XObject /Subtype /Form /BBox [0 0 10 10] /Filter /FlateDecode",
                lumerra::test::Deflate("q 0 0 1 rg 0 0 10 10 re f Q BT /F1 8 Tf (form) Tj ET"));
    std::string kids;
    int next = 10;
    for (int page = 0; page < Pages; ++page) {
        const int pageNumber = next++, content = next++;
        kids += std::to_string(pageNumber) + " 0 R ";
        b.Set(pageNumber, "<< /Type /Page /Parent 2 0 R /Resources 3 0 R /MediaBox [0 0 612 792] /Contents " +
                              std::to_string(content) + " 0 R >>");
        b.SetStream(content, "/Filter /FlateDecode", lumerra::test::Deflate(PageContent(page)));
    }
    b.Set(2, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(Pages) + " >>");
    return b.Build();
}

// Processor time of the whole process (any helper thread included): the
// machine may be busy with other work, which wall time would count.
double ProcessSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

template <class TRun>
double Seconds(const lumerra::test::TempFile& File, const TRun& Run) {
    const double start = ProcessSeconds();
    lumerra::TPDFAnalyst analyst;
    analyst.SetExtendedReading(true);
    analyst.LoadFromFile(File.Path());
    lumerra::TIDList pages;
    analyst.GetPageList(&pages);
    Run(analyst, pages);
    return ProcessSeconds() - start;
}

void Decode(lumerra::TPDFAnalyst& Analyst, const lumerra::TIDList& Pages) {
    lumerra::TPDFLumerra decoder(&Analyst);
    decoder.Threads = 1;
    lumerra::TMemoryStream out;
    bool cancel = false;
    decoder.DecodeToStream(out, 1, static_cast<int32_t>(Pages.size()), true, nullptr, cancel);
    benchmark::DoNotOptimize(out.Size());
}

void Check(lumerra::TPDFAnalyst& Analyst, const lumerra::TIDList& Pages) {
    lumerra::TObjectReader reader(Analyst);
    int64_t findings = 0;
    lumerra::check::CheckPages(reader, Pages, 1, static_cast<int32_t>(Pages.size()),
                               [&](const lumerra::check::TPageFindings& Page) {
                                   findings += Page.Count(lumerra::check::TSeverity::Error);
                               });
    if (findings != 0) std::fprintf(stderr, "the benchmark document has %lld errors\n", static_cast<long long>(findings));
    benchmark::DoNotOptimize(findings);
}

void BM_CheckVersusDecode(benchmark::State& state) {
    const lumerra::test::TempFile file(Document(), "check.pdf");
    double decodeBest = 1e9, checkBest = 1e9;
    for (auto _ : state) {
        decodeBest = std::min(decodeBest, Seconds(file, Decode));
        checkBest = std::min(checkBest, Seconds(file, Check));
    }
    state.counters["ratio"] = checkBest / decodeBest;
    std::printf("check / decode, %d pages: %.3f (%.1f ms / %.1f ms)\n", Pages, checkBest / decodeBest,
                checkBest * 1e3, decodeBest * 1e3);
}
BENCHMARK(BM_CheckVersusDecode)->Unit(benchmark::kMillisecond)->Iterations(7);

}  // namespace

BENCHMARK_MAIN();
