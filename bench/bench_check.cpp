// "check" against "decode", side by side in one run: the same 1,000-page
// document (Flate content of text, paths, colours, marked content, an inline
// image and a form per page) loaded and decoded into the report, and loaded
// and checked. "ratio" is the check's time over the report's; the target is
// at most 1.3. Both run on one thread; times are processor time.
//
// BM_ProcessCheckVersusDecode runs the lumerra program built beside this one
// as a user does: "check -j T FILE" against "decode --extended -j T" of the
// same file, on a document written as pdfTeX writes one and on one typeset
// by Ghostscript's ps2pdf (skipped without ps2pdf). "ratio" is the check's
// processor time over the decode's (the target is at most 1.3 on one
// thread), "wall_ratio" its wall time over the decode's (at most 1 on
// several).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "check/PageCheck.h"
#include "decoder/PDFLumerra.h"
#include "pdf/ExtendedAnalyst.h"
#include "support/PdfBuilder.h"
#include "support/Process.h"
#include "support/ProducerDocument.h"

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
    lumerra::TExtendedAnalyst analyst;
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

constexpr int ProcessPages = 1000;

// A page as pdfTeX writes it: kerned lines of text in a few fonts, each
// moved from the last by Td, a rule now and then, the page number.
std::string PdfTeXPage(int Page) {
    static const char* const Words[] = {"W", "e", "consider", "the", "structure", "of", "each", "proof", "in",
                                        "section", "and", "sho", "w", "that", "it", "holds", "for", "all", "cases"};
    uint32_t seed = 2654435761u * static_cast<uint32_t>(Page + 1);
    const auto next = [&seed](uint32_t Range) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % Range;
    };
    std::string text = "0 g 0 G\n0 g 0 G\nBT\n/F8 9.9626 Tf 91.925 759.927 Td ";
    char piece[64];
    for (int line = 0; line < 50; ++line) {
        if (line % 17 == 16) text += "/F11 9.9626 Tf ";
        if (line % 17 == 0 && line > 0) text += "/F8 9.9626 Tf ";
        text += "[(";
        for (int word = 0; word < 12; ++word) {
            text += Words[next(sizeof Words / sizeof *Words)];
            std::snprintf(piece, sizeof piece, ")-%u(", 300 + next(40));
            text += next(4) == 0 ? ")83(" : piece;
        }
        text += "end)]TJ 0 -11.955 Td\n";
    }
    text += "ET\n";
    for (int rule = 0; rule < 3; ++rule)
        text += "q 1 0 0 1 91.925 " + std::to_string(200 + 100 * rule) + " cm\n[]0 d 0 J 0.398 w 0 0 m 430.008 0 l S\nQ\n";
    text += "0 g 0 G\n0 g 0 G\nBT\n/F8 9.9626 Tf 302.961 89.138 Td [(" + std::to_string(Page) + ")]TJ\nET\n";
    return text;
}

std::string PdfTeXDocument() {
    lumerra::test::PdfBuilder::Options options;
    options.Header = "%PDF-1.5\n";
    lumerra::test::PdfBuilder b(options);
    b.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    b.Set(3, "<< /Font << /F8 4 0 R /F11 5 0 R >> /ProcSet [/PDF /Text] >>");
    b.Set(4, "<< /Type /Font /Subtype /Type1 /BaseFont /CMR10 >>");
    b.Set(5, "<< /Type /Font /Subtype /Type1 /BaseFont /CMMI10 >>");
    std::string kids;
    int next = 10;
    for (int page = 0; page < ProcessPages; ++page) {
        const int pageNumber = next++, content = next++;
        kids += std::to_string(pageNumber) + " 0 R ";
        b.SetStream(content, "/Filter /FlateDecode", lumerra::test::Deflate(PdfTeXPage(page + 1)));
        b.Set(pageNumber, "<< /Type /Page /Contents " + std::to_string(content) +
                              " 0 R /Resources 3 0 R /MediaBox [0 0 595.276 841.89] /Parent 2 0 R >>");
    }
    b.Set(2, "<< /Type /Pages /Count " + std::to_string(ProcessPages) + " /Kids [" + kids + "] >>");
    return b.Build();
}

// The document of the run, written once: "" when it cannot be made.
const std::string& ProcessDocument(int64_t Which) {
    static const std::string pdftex = [] {
        const std::string path = lumerra::bench::BenchTempPath("check-pdftex.pdf");
        std::ofstream(path, std::ios::binary) << PdfTeXDocument();
        return path;
    }();
    static const std::string ps2pdf = [] {
        const std::string path = lumerra::bench::BenchTempPath("check-ps2pdf.pdf");
        return lumerra::bench::WriteProducerDocument(path, ProcessPages) ? path : std::string();
    }();
    return Which == 0 ? pdftex : ps2pdf;
}

void BM_ProcessCheckVersusDecode(benchmark::State& state) {
    const std::string& file = ProcessDocument(state.range(0));
    const char* const name = state.range(0) == 0 ? "pdfTeX" : "ps2pdf";
    const std::string threads = std::to_string(state.range(1));
    if (file.empty()) {
        state.SkipWithError("ps2pdf could not make the document (Debian: apt-get install ghostscript)");
        return;
    }
    const std::string report = lumerra::bench::BenchTempPath("check-report.txt");
    const std::vector<std::string> decode = {LUMERRA_CLI_PATH, "decode", "--quiet", "--extended", "-j", threads,
                                             "-o", report, file};
    const std::vector<std::string> check = {LUMERRA_CLI_PATH, "check", "-j", threads, file};
    double decodeCpu = 1e9, checkCpu = 1e9, decodeWall = 1e9, checkWall = 1e9;
    for (auto _ : state) {
        std::filesystem::remove(report);
        const lumerra::bench::TProcessRun decoded = lumerra::bench::SpawnAndWait(decode, true);
        const lumerra::bench::TProcessRun checked = lumerra::bench::SpawnAndWait(check, true);
        decodeCpu = std::min(decodeCpu, decoded.CpuSeconds);
        decodeWall = std::min(decodeWall, decoded.Seconds);
        checkCpu = std::min(checkCpu, checked.CpuSeconds);
        checkWall = std::min(checkWall, checked.Seconds);
    }
    std::filesystem::remove(report);
    state.counters["ratio"] = checkCpu / decodeCpu;
    state.counters["wall_ratio"] = checkWall / decodeWall;
    std::printf("%s, %d pages: check / decode --extended -j %s: %.3f cpu (%.1f ms / %.1f ms), %.3f wall (%.1f ms / %.1f ms)\n",
                name, ProcessPages, threads.c_str(), checkCpu / decodeCpu, checkCpu * 1e3, decodeCpu * 1e3,
                checkWall / decodeWall, checkWall * 1e3, decodeWall * 1e3);
}
BENCHMARK(BM_ProcessCheckVersusDecode)
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({0, 2})
    ->Args({1, 2})
    ->ArgNames({"document", "threads"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(7);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const char* name : {"check-pdftex.pdf", "check-ps2pdf.pdf"})
        std::filesystem::remove(lumerra::bench::BenchTempPath(name));
    return 0;
}
