// Extended reading of a document whose many forms share large resource
// dictionaries, as some layout programs write them, side by side with
// `mutool clean -d` (MuPDF's tools from Debian, a baseline only) rewriting
// the same file with every stream decoded, in the same run.
//
// The document: 2 pages, 910 objects, 2 MB. 300 fonts, 600 forms
// whose content is Flate-compressed, and 4 resource dictionaries of about
// 60 KiB each (every font, every form and 400 graphics states written in
// place), each form naming one of them. Each page draws 300 of the forms.
// A reader that keeps less than those dictionaries parses them again for
// every form it meets.
//
// Without mutool the benchmark still runs lumerra and says so.
//
//   bench_sharing                        run the benchmark
//   bench_sharing --write-document=PATH  only write the document
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/PdfBuilder.h"
#include "support/Process.h"

namespace {

using lumerra::test::Deflate;
using lumerra::test::PdfBuilder;
using lumerra::bench::BenchTempPath;
using lumerra::bench::SpawnAndWait;
using lumerra::bench::TProcessRun;

constexpr int FontCount = 300;
constexpr int FormCount = 600;
constexpr int ResourceCount = 4;
constexpr int StateCount = 400;
constexpr int PageCount = 2;

// Text drawn by one form: about 8 KiB of operators, about 3 KiB compressed.
std::string FormContent(int Form) {
    std::string text = "BT\n";
    char line[128];
    uint32_t seed = 2654435761u * static_cast<uint32_t>(Form + 1);
    for (int i = 0; text.size() < 8 * 1024; ++i) {
        seed = seed * 1664525u + 1013904223u;
        std::snprintf(line, sizeof line, "/F%d %d Tf /GS%d gs %u.%u %u.%u Td (form %d line %d: %u) Tj\n",
                      (Form + i) % FontCount, 8 + i % 6, (Form * 7 + i) % StateCount, seed % 500, seed % 97,
                      (seed >> 9) % 700, (seed >> 3) % 89, Form, i, seed);
        text += line;
    }
    return text + "ET\n";
}

std::string BuildDocument() {
    PdfBuilder pdf;
    const int catalog = pdf.Add("");
    const int tree = pdf.Add("");
    std::vector<int> fonts;
    for (int i = 0; i < FontCount; ++i)
        fonts.push_back(pdf.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Font" + std::to_string(i) +
                                " /Encoding /WinAnsiEncoding >>"));
    // The resource dictionaries come after the forms that name them: their
    // numbers are known before.
    const int firstResources = pdf.Add("") ;
    for (int r = 1; r < ResourceCount; ++r) pdf.Add("");
    std::vector<int> forms;
    for (int i = 0; i < FormCount; ++i)
        forms.push_back(pdf.AddStream("/Type /XObject /Subtype /Form /BBox [0 0 612 792] /Filter /FlateDecode "
                                      "/Resources " + std::to_string(firstResources + i % ResourceCount) + " 0 R",
                                      Deflate(FormContent(i))));
    for (int r = 0; r < ResourceCount; ++r) {
        std::string dict = "<< /Font <<";
        for (int i = 0; i < FontCount; ++i) dict += " /F" + std::to_string(i) + " " + std::to_string(fonts[i]) + " 0 R";
        dict += " >>\n/XObject <<";
        for (int i = 0; i < FormCount; ++i) dict += " /Fm" + std::to_string(i) + " " + std::to_string(forms[i]) + " 0 R";
        dict += " >>\n/ExtGState <<";
        for (int i = 0; i < StateCount; ++i)
            dict += "\n/GS" + std::to_string(i) + " << /Type /ExtGState /CA 1 /ca 1 /LW 0." + std::to_string(r + 1) +
                    " /LC 0 /LJ 0 /ML 10 /SA false /BM /Normal /OPM 1 /op false /OP false /AIS false >>";
        dict += " >>\n/ProcSet [/PDF /Text /ImageB /ImageC /ImageI] >>";
        pdf.Set(firstResources + r, dict);
    }
    std::string kids;
    for (int p = 0; p < PageCount; ++p) {
        std::string content;
        for (int i = p; i < FormCount; i += PageCount) content += "q /Fm" + std::to_string(i) + " Do Q\n";
        const int stream = pdf.AddStream("/Filter /FlateDecode", Deflate(content));
        const int page = pdf.Add("<< /Type /Page /Parent " + std::to_string(tree) +
                                 " 0 R /MediaBox [0 0 612 792] /Resources " +
                                 std::to_string(firstResources + p % ResourceCount) + " 0 R /Contents " +
                                 std::to_string(stream) + " 0 R >>");
        kids += std::to_string(page) + " 0 R ";
    }
    pdf.Set(catalog, "<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R >>");
    pdf.Set(tree, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(PageCount) + " >>");
    pdf.Root(catalog);
    return pdf.Build();
}

bool MutoolPresent() {
    for (const char* folder : {"/usr/bin", "/usr/local/bin"})
        if (std::filesystem::exists(std::string(folder) + "/mutool")) return true;
    return false;
}

// Best of the iterations each, lumerra and mutool alternately. "ratio" is
// lumerra's wall time over mutool's.
void BM_SharedResourcesVersusMutool(benchmark::State& state) {
    const std::string document = BenchTempPath("sharing-document.pdf");
    std::ofstream(document, std::ios::binary) << BuildDocument();
    const std::string report = BenchTempPath("sharing-report.txt");
    const std::string rewritten = BenchTempPath("sharing-clean.pdf");
    const bool withMutool = MutoolPresent();
    double lumerra = 1e9, lumerraCpu = 1e9, mutool = 1e9;
    for (auto _ : state) {
        const TProcessRun ours =
            SpawnAndWait({LUMERRA_CLI_PATH, "decode", "--extended", "--quiet", "-j", "1", "-o", report, document}, true);
        lumerra = std::min(lumerra, ours.Seconds);
        lumerraCpu = std::min(lumerraCpu, ours.CpuSeconds);
        if (withMutool)
            mutool = std::min(mutool, SpawnAndWait({"mutool", "clean", "-d", document, rewritten}, true).Seconds);
        std::filesystem::remove(report);
        std::filesystem::remove(rewritten);
    }
    std::filesystem::remove(document);
    state.counters["lumerra_ms"] = lumerra * 1e3;
    state.counters["lumerra_cpu_ms"] = lumerraCpu * 1e3;
    if (!withMutool) {
        std::printf("shared resources: lumerra decode --extended %.1f ms; mutool not found\n", lumerra * 1e3);
        return;
    }
    state.counters["mutool_ms"] = mutool * 1e3;
    state.counters["ratio"] = lumerra / mutool;
    std::printf("shared resources: lumerra decode --extended / mutool clean -d: %.2f (%.1f ms / %.1f ms)\n",
                lumerra / mutool, lumerra * 1e3, mutool * 1e3);
}
BENCHMARK(BM_SharedResourcesVersusMutool)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    const std::string write = "--write-document=";
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.starts_with(write)) {
            std::ofstream(argument.substr(write.size()), std::ios::binary) << BuildDocument();
            return 0;
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
