// A whole report run on large documents, side by side with zlib alone
// inflating the same streams.
//
// The synthetic document: 2,000 pages in a two-level page tree, each page
// with its own Flate content stream of about 30 KiB of text-drawing
// operators, shared fonts and graphics states, two Form XObjects (one nested
// in the other) and an image that the report does not decode.
//
// The producer's document: 2,000 pages of text in four fonts, typeset from
// PostScript by Ghostscript's ps2pdf at PDF 1.4, as a real producer writes
// them (small content streams, embedded font subsets, indirect lengths).
// Without ps2pdf its benchmarks are skipped.
//
// The book: about 2,000 pages of chapters, sections, running text with some
// mathematics, and figures drawn in picture mode, typeset by pdflatex at PDF
// 1.4 (small content streams, Type 1 font subsets, one page tree node per
// six pages). Without pdflatex its benchmarks are skipped.
//
// BM_ProcessVersusZlib runs the lumerra program built beside this one.
//
//   bench_decode                          run the benchmarks
//   bench_decode --write-document=PATH    only write the synthetic document
//                                         (for measuring a CLI run's peak
//                                         memory)
//   bench_decode --write-producer-document=PATH    the same for the
//                                         producer's document
//   bench_decode --write-book=PATH        the same for the book
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "decoder/PDFLumerra.h"
#include "filters/FastInflate.h"
#include "pdf/DefaultAnalyst.h"
#include "pdf/ObjectScanner.h"
#include "support/Process.h"
#include "support/LatexBook.h"
#include "support/ProducerDocument.h"

namespace {

using lumerra::bench::BenchTempPath;
using lumerra::bench::SpawnAndWait;
using lumerra::bench::TProcessRun;

constexpr int PageCount = 2000;
constexpr int PagesPerNode = 50;
constexpr size_t ContentSize = 30 * 1024;

std::string Compress(const std::string& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                  static_cast<uLong>(data.size()), 6) != Z_OK)
        throw std::runtime_error("compress2 failed");
    out.resize(size);
    return out;
}

// Text-drawing operators as producers write them: positioned lines of
// kerned text in a few fonts and sizes, with varied words and numbers.
std::string PageText(int page) {
    static const char* const Words[] = {
        "the",     "of",        "and",     "to",      "in",      "document", "page",   "stream",  "object",
        "font",    "resource",  "report",  "decode",  "filter",  "table",    "offset", "version", "header",
        "catalog", "reference", "section", "content", "drawing", "command",  "text",   "number",  "value",
        "first",   "last",      "between", "without", "through", "because",  "after",  "before",  "while"};
    uint32_t seed = 2654435761u * static_cast<uint32_t>(page + 1);
    auto next = [&seed](uint32_t range) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % range;
    };
    std::string text = "q 1 0 0 1 0 0 cm /GS0 gs /Fm0 Do Q\nBT\n";
    char piece[96];
    while (text.size() < ContentSize) {
        std::snprintf(piece, sizeof piece, "/F%u %u.%u Tf\n%u.%02u %u.%02u Td\n[(", 1 + next(2), 8 + next(6),
                      next(10), 40 + next(500), next(100), 40 + next(700), next(100));
        text += piece;
        const uint32_t words = 4 + next(8);
        for (uint32_t w = 0; w < words; ++w) {
            text += Words[next(sizeof Words / sizeof *Words)];
            if (next(3) == 0) {
                std::snprintf(piece, sizeof piece, ")-%u(", 10 + next(300));
                text += piece;
            } else {
                text += ' ';
            }
        }
        text += ")] TJ\n";
    }
    return text + "ET\n";
}

struct Document {
    std::string Bytes;
    size_t DecodedBytes = 0;
};

Document MakeDocument() {
    Document doc;
    std::map<int, std::string> objects;
    auto stream = [](const std::string& dict, const std::string& data) {
        return "<< /Length " + std::to_string(data.size()) + " " + dict + " >>\nstream\n" + data + "\nendstream";
    };
    // Shared objects: fonts 3 and 4, graphics state 5, forms 6 and 7, image 8.
    objects[3] = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";
    objects[4] = "<< /Type /Font /Subtype /Type1 /BaseFont /Times-Roman >>";
    objects[5] = "<< /Type /ExtGState /LW 1 /CA 1 >>";
    const std::string outerForm = Compress("q 0 0 1 rg 0 0 100 20 re f Q /Fm1 Do\n");
    const std::string innerForm = Compress("BT /F1 8 Tf (footer) Tj ET\n");
    objects[6] = stream("/Type /XObject /Subtype /Form /BBox [0 0 100 20] /Filter /FlateDecode "
                        "/Resources << /XObject << /Fm1 7 0 R >> >>",
                        outerForm);
    objects[7] = stream("/Type /XObject /Subtype /Form /BBox [0 0 100 20] /Filter /FlateDecode "
                        "/Resources << /Font << /F1 3 0 R >> >>",
                        innerForm);
    objects[8] = stream("/Type /XObject /Subtype /Image /Width 16 /Height 16 /BitsPerComponent 8 "
                        "/ColorSpace /DeviceGray /Filter /DCTDecode",
                        std::string(256, '\x7f'));
    const std::string resources =
        "<< /Font << /F1 3 0 R /F2 4 0 R >> /XObject << /Fm0 6 0 R /Im0 8 0 R >> /ExtGState << /GS0 5 0 R >> "
        "/ProcSet [/PDF /Text /ImageB] >>";

    const int firstNode = 9;
    const int nodes = PageCount / PagesPerNode;
    const int firstPage = firstNode + nodes;
    std::string rootKids;
    for (int n = 0; n < nodes; ++n) {
        std::string kids;
        for (int k = 0; k < PagesPerNode; ++k) {
            const int page = firstPage + 2 * (n * PagesPerNode + k);
            kids += std::to_string(page) + " 0 R ";
            const std::string content = PageText(n * PagesPerNode + k);
            const std::string compressed = Compress(content);
            objects[page] = "<< /Type /Page /Parent " + std::to_string(firstNode + n) +
                            " 0 R /MediaBox [0 0 612 792] /Resources " + resources + " /Contents " +
                            std::to_string(page + 1) + " 0 R >>";
            objects[page + 1] = stream("/Filter /FlateDecode", compressed);
            doc.DecodedBytes += content.size();
        }
        objects[firstNode + n] = "<< /Type /Pages /Parent 2 0 R /Kids [" + kids + "] /Count " +
                                 std::to_string(PagesPerNode) + " >>";
        rootKids += std::to_string(firstNode + n) + " 0 R ";
    }
    objects[1] = "<< /Type /Catalog /Pages 2 0 R >>";
    objects[2] = "<< /Type /Pages /Kids [" + rootKids + "] /Count " + std::to_string(PageCount) + " >>";

    std::string& out = doc.Bytes;
    out = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    std::vector<size_t> offsets(objects.rbegin()->first + 1, 0);
    for (const auto& [number, body] : objects) {
        offsets[number] = out.size();
        out += std::to_string(number) + " 0 obj\n" + body + "\nendobj\n";
    }
    const size_t xref = out.size();
    out += "xref\n0 " + std::to_string(offsets.size()) + "\n0000000000 65535 f \n";
    char entry[32];
    for (size_t i = 1; i < offsets.size(); ++i) {
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offsets[i]);
        out += entry;
    }
    out += "trailer\n<< /Size " + std::to_string(offsets.size()) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return doc;
}

const Document& TheDocument() {
    static const Document doc = MakeDocument();
    return doc;
}

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// A document on disk, with the compressed streams its report inflates in
// the order it inflates them.
struct BenchFile {
    std::string Path;
    std::vector<std::string> Streams;
    std::string Missing;  // why there is no document
};

// The raw data of every stream a report of Path decodes, read through the
// analyser's tables (lengths may be indirect).
std::vector<std::string> ReportStreams(const std::string& path) {
    lumerra::TDefaultAnalyst analyst;
    analyst.LoadFromFile(path);
    lumerra::TPDFLumerra decoder(&analyst);
    auto raw = [&analyst](int32_t object) {
        lumerra::TMemoryStream data;
        lumerra::TObjectScanner scan = lumerra::TObjectScanner::OpenObject(analyst, object, lumerra::StreamObjectScan);
        int32_t length = 0;
        scan.Run([&](const lumerra::TToken& token) {
            if (token.Text == "/Length") {
                length = analyst.ReadIntegerValue(scan.Stream());
            } else if (token.Text == "stream") {
                lumerra::ReadStreamData(scan.Stream(), data, length, {}, nullptr);
            } else {
                return lumerra::TScanAction::Default;
            }
            return lumerra::TScanAction::Handled;
        });
        return std::string(reinterpret_cast<const char*>(data.Memory()), static_cast<size_t>(data.Size()));
    };
    std::vector<std::string> streams;
    lumerra::TIDList pages;
    analyst.GetPageList(&pages);
    for (const int32_t page : pages) {
        const lumerra::TPageResource& resources = decoder.CollectPageResources(page);
        for (int32_t i = 0; i < resources.ChildCount(); ++i) streams.push_back(raw(resources.GetChild(i).ObjectNumber));
        lumerra::TIDList contents;
        decoder.GetPageContents(page, contents);
        for (const int32_t content : contents) streams.push_back(raw(content));
        decoder.ReleasePageResources();
    }
    return streams;
}

const BenchFile& SyntheticFile() {
    static const BenchFile file = [] {
        BenchFile f{BenchTempPath("document.pdf"), {}, {}};
        std::ofstream(f.Path, std::ios::binary) << TheDocument().Bytes;
        f.Streams = ReportStreams(f.Path);
        return f;
    }();
    return file;
}

const BenchFile& ProducerFile() {
    static const BenchFile file = [] {
        BenchFile f{BenchTempPath("producer.pdf"), {}, {}};
        if (lumerra::bench::WriteProducerDocument(f.Path, PageCount))
            f.Streams = ReportStreams(f.Path);
        else
            f.Missing = "ps2pdf could not make the document (Debian: apt-get install ghostscript)";
        return f;
    }();
    return file;
}

const BenchFile& BookFile() {
    static const BenchFile file = [] {
        BenchFile f{BenchTempPath("book.pdf"), {}, {}};
        if (lumerra::bench::WriteLatexBook(f.Path, PageCount))
            f.Streams = ReportStreams(f.Path);
        else
            f.Missing = "pdflatex could not make the book (Debian: apt-get install texlive-latex-base)";
        return f;
    }();
    return file;
}

// Documents: 0 the synthetic one, 1 the producer's, 2 the book.
const BenchFile& FileOf(const benchmark::State& state) {
    switch (state.range(0)) {
        case 0: return SyntheticFile();
        case 1: return ProducerFile();
        default: return BookFile();
    }
}

const char* DocumentName(const benchmark::State& state) {
    static const char* const Names[] = {"synthetic", "ps2pdf", "pdflatex"};
    return Names[std::clamp<int64_t>(state.range(0), 0, 2)];
}

// True, with the benchmark marked skipped, when the document could not be
// made.
bool SkippedWithoutDocument(benchmark::State& state, const BenchFile& file) {
    if (file.Missing.empty()) return false;
    state.SkipWithError(file.Missing.c_str());
    for (auto _ : state) {
    }
    return true;
}

// zlib alone: inflate every stream the report inflates, into one reused
// buffer.
size_t InflateAll(const std::vector<std::string>& streams) {
    static std::vector<unsigned char> out(1 << 20);
    size_t total = 0;
    for (const std::string& s : streams) {
        z_stream z{};
        inflateInit(&z);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(s.data()));
        z.avail_in = static_cast<uInt>(s.size());
        int result = Z_OK;
        while (result == Z_OK) {
            z.next_out = out.data();
            z.avail_out = static_cast<uInt>(out.size());
            result = inflate(&z, Z_NO_FLUSH);
            total += out.size() - z.avail_out;
        }
        inflateEnd(&z);
    }
    return total;
}

// The program's fast path alone on the same streams.
size_t FastInflateAll(const std::vector<std::string>& streams) {
    lumerra::TFastInflater inflater;
    size_t total = 0;
    for (const std::string& s : streams)
        if (inflater.Inflate(reinterpret_cast<const uint8_t*>(s.data()), s.size())) total += inflater.OutputSize();
    return total;
}

void RunReport(const std::string& path, const std::string& output, bool withComments, int32_t threads = 1,
               bool extended = false) {
    const std::unique_ptr<lumerra::TPDFAnalyst> owner = lumerra::NewAnalyst(lumerra::ReadingFor(extended));
    lumerra::TPDFAnalyst& analyst = *owner;
    analyst.LoadFromFile(path);
    lumerra::TPDFLumerra decoder(&analyst);
    decoder.Threads = threads;
    bool cancel = false;
    decoder.DecodeToFile(output, 1, analyst.PageCount(), withComments, nullptr, cancel);
    std::filesystem::remove(output);
}

void BM_ZlibInflateOnly(benchmark::State& state) {
    const Document& doc = TheDocument();
    const BenchFile& file = SyntheticFile();
    for (auto _ : state) benchmark::DoNotOptimize(InflateAll(file.Streams));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.DecodedBytes));
}
BENCHMARK(BM_ZlibInflateOnly)->Unit(benchmark::kMillisecond);

void BM_DecodeToFile(benchmark::State& state) {
    const bool withComments = state.range(0) != 0;
    const std::string output = BenchTempPath("report.txt");
    const BenchFile& file = SyntheticFile();
    for (auto _ : state) RunReport(file.Path, output, withComments);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TheDocument().DecodedBytes));
    std::filesystem::remove(output);
}
BENCHMARK(BM_DecodeToFile)->Arg(1)->Arg(0)->ArgName("comments")->Unit(benchmark::kMillisecond);

// The whole report and zlib alone, measured alternately in the same run,
// best of the iterations each: "ratio" is the report's wall time over
// zlib's, "cpu_ratio" the same in process CPU time (it adds up over the
// threads), "fast_ratio" the fast inflate path alone over zlib.
void BM_RunVersusZlib(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const BenchFile& file = FileOf(state);
    if (SkippedWithoutDocument(state, file)) return;
    const int32_t threads = static_cast<int32_t>(state.range(1));
    const std::string output = BenchTempPath("report.txt");
    double run = 1e9, zlib = 1e9, fast = 1e9, runCpu = 1e9, zlibCpu = 1e9;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const double c0 = CpuSeconds();
        benchmark::DoNotOptimize(InflateAll(file.Streams));
        const auto t1 = Clock::now();
        const double c1 = CpuSeconds();
        RunReport(file.Path, output, true, threads);
        const auto t2 = Clock::now();
        const double c2 = CpuSeconds();
        benchmark::DoNotOptimize(FastInflateAll(file.Streams));
        const auto t3 = Clock::now();
        zlib = std::min(zlib, std::chrono::duration<double>(t1 - t0).count());
        run = std::min(run, std::chrono::duration<double>(t2 - t1).count());
        fast = std::min(fast, std::chrono::duration<double>(t3 - t2).count());
        zlibCpu = std::min(zlibCpu, c1 - c0);
        runCpu = std::min(runCpu, c2 - c1);
    }
    state.counters["ratio"] = run / zlib;
    state.counters["cpu_ratio"] = runCpu / zlibCpu;
    state.counters["fast_ratio"] = fast / zlib;
    std::printf("%s, %zu streams: whole run with comments, %d thread(s) / zlib inflate alone: %.3f (wall), "
                "%.3f (cpu); fast inflate alone / zlib: %.3f\n",
                DocumentName(state), file.Streams.size(), threads, run / zlib,
                runCpu / zlibCpu, fast / zlib);
}
// Documents: 0 the synthetic one, 1 the producer's, 2 the book. Threads: 1 is the
// sequential run; with more, the wall ratio is the one that counts.
BENCHMARK(BM_RunVersusZlib)
    ->ArgsProduct({{0, 1, 2}, {1, 2}})
    ->ArgNames({"document", "threads"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

// A process started from this one shares its memory until it runs its
// program, and the kernel counts this one's peak as the child's: the
// command is started by a fresh copy of this program (--spawn), whose own
// peak is small, and that copy tells the command's time and peak.
TProcessRun RunProcess(const std::vector<std::string>& arguments) {
    const std::string told = BenchTempPath("process.txt");
    char self[4096] = {};
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) throw std::runtime_error("cannot find this program");
    std::vector<std::string> spawner = {std::string(self, static_cast<size_t>(length)), "--spawn=" + told};
    spawner.insert(spawner.end(), arguments.begin(), arguments.end());
    SpawnAndWait(spawner);
    TProcessRun run;
    std::ifstream(told) >> run.Seconds >> run.CpuSeconds >> run.PeakMiB;
    std::filesystem::remove(told);
    return run;
}

void BM_ProcessVersusZlib(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const BenchFile& file = FileOf(state);
    if (SkippedWithoutDocument(state, file)) return;
    const std::string output = BenchTempPath("report.txt");
    const std::vector<std::string> command = {LUMERRA_CLI_PATH, "decode", "--quiet", "-j", "2", "-o", output,
                                              file.Path};
    double process = 1e9, zlib = 1e9, processCpu = 1e9, zlibCpu = 1e9, peak = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const double c0 = CpuSeconds();
        benchmark::DoNotOptimize(InflateAll(file.Streams));
        zlib = std::min(zlib, std::chrono::duration<double>(Clock::now() - t0).count());
        zlibCpu = std::min(zlibCpu, CpuSeconds() - c0);
        std::filesystem::remove(output);
        const TProcessRun run = RunProcess(command);
        process = std::min(process, run.Seconds);
        processCpu = std::min(processCpu, run.CpuSeconds);
        peak = std::max(peak, run.PeakMiB);
    }
    std::filesystem::remove(output);
    state.counters["ratio"] = process / zlib;
    state.counters["cpu_ratio"] = processCpu / zlibCpu;
    state.counters["peak_mib"] = peak;
    std::printf("%s: lumerra decode -j 2 process / zlib inflate alone: %.3f wall (%.1f ms / %.1f ms), %.3f cpu, "
                "peak %.1f MiB\n",
                DocumentName(state), process / zlib, process * 1e3, zlib * 1e3,
                processCpu / zlibCpu, peak);
}
BENCHMARK(BM_ProcessVersusZlib)->DenseRange(0, 2)->ArgName("document")->Unit(benchmark::kMillisecond)->Iterations(10);

double Median(std::vector<double> Values) {
    std::sort(Values.begin(), Values.end());
    const size_t half = Values.size() / 2;
    return Values.size() % 2 == 1 ? Values[half] : (Values[half - 1] + Values[half]) / 2;
}

// Replacing the previous report against writing a new one: the same
// "lumerra decode" process, in turn in the same run, each going first every
// other time, median of the iterations each. The report goes to the
// temporary folder (TMPDIR): run it once on a disk and once on /dev/shm.
// The disk is synced before each run, so that neither waits for the other's
// write-back, and left alone for half a second: a disk mounted with
// "discard" discards the blocks freed by one run (the report it replaced,
// or the one set aside) in the background after that, and would slow
// whichever run came next. For a new report the previous one is renamed aside before the
// run and removed after it, so that both runs find the same files and the
// same free memory. "Removed" is a new report with the previous one deleted
// just before the run, as this benchmark once did: it finds 64 MB more free
// memory, and flatters writing a new report. "ratio" is the median of the
// iterations' replace over new in wall time, which a machine busy with
// other work disturbs less than the ratio of the medians.
void BM_ReplaceVersusNew(benchmark::State& state) {
    const BenchFile& file = FileOf(state);
    if (SkippedWithoutDocument(state, file)) return;
    const std::string output = (std::filesystem::temp_directory_path() / "lumerra-bench-replaced.txt").string();
    const std::string aside = output + ".aside";
    const std::vector<std::string> command = {LUMERRA_CLI_PATH, "decode", "--quiet", "-j", "2", "-o", output,
                                              file.Path};
    enum { Replace, New, Removed, Kinds };
    std::vector<double> seconds[Kinds];
    auto run = [&](int Kind) {
        if (!std::filesystem::exists(output)) RunProcess(command);
        if (Kind == New) std::filesystem::rename(output, aside);
        if (Kind == Removed) std::filesystem::remove(output);
        ::sync();
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        seconds[Kind].push_back(RunProcess(command).Seconds);
        std::filesystem::remove(aside);
    };
    for (auto _ : state) {
        const int first = static_cast<int>(state.iterations() % Kinds);
        for (int k = 0; k < Kinds; ++k) run((first + k) % Kinds);
    }
    std::filesystem::remove(output);
    const double replace = Median(seconds[Replace]), fresh = Median(seconds[New]), removed = Median(seconds[Removed]);
    std::vector<double> ratios;
    for (size_t i = 0; i < seconds[Replace].size(); ++i) ratios.push_back(seconds[Replace][i] / seconds[New][i]);
    const double ratio = Median(ratios);
    state.counters["ratio"] = ratio;
    state.counters["replace_ms"] = replace * 1e3;
    state.counters["new_ms"] = fresh * 1e3;
    state.counters["removed_ms"] = removed * 1e3;
    std::printf("%s in %s: lumerra decode -j 2 replacing / writing a new report: %.3f wall, medians %.1f ms / "
                "%.1f ms (new with the previous report removed just before: %.1f ms)\n",
                DocumentName(state), std::filesystem::temp_directory_path().c_str(),
                ratio, replace * 1e3, fresh * 1e3, removed * 1e3);
}
BENCHMARK(BM_ReplaceVersusNew)->Arg(0)->ArgName("document")->Unit(benchmark::kMillisecond)->Iterations(30);

// Extended reading (objects parsed and read by key) against the default
// reading (byte scanning) on the same document, alternately in the same
// run, best of the iterations each: "ratio" is extended over default.
void BM_ExtendedVersusDefault(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const BenchFile& file = FileOf(state);
    if (SkippedWithoutDocument(state, file)) return;
    const std::string output = BenchTempPath("report.txt");
    double standard = 1e9, extended = 1e9;
    for (auto _ : state) {
        // Each goes first every other time, so that neither always finds
        // the caches as the other left them.
        const bool extendedFirst = state.iterations() % 2 == 1;
        const auto t0 = Clock::now();
        RunReport(file.Path, output, true, 1, extendedFirst);
        const auto t1 = Clock::now();
        RunReport(file.Path, output, true, 1, !extendedFirst);
        const auto t2 = Clock::now();
        const double first = std::chrono::duration<double>(t1 - t0).count();
        const double second = std::chrono::duration<double>(t2 - t1).count();
        standard = std::min(standard, extendedFirst ? second : first);
        extended = std::min(extended, extendedFirst ? first : second);
    }
    state.counters["ratio"] = extended / standard;
    std::printf("%s: extended reading / default reading, one thread: %.3f (%.1f ms / %.1f ms)\n",
                DocumentName(state), extended / standard, extended * 1e3, standard * 1e3);
}
BENCHMARK(BM_ExtendedVersusDefault)->Arg(0)->Arg(1)->ArgName("document")->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
    // --write-document=PATH and --write-producer-document=PATH only copy a
    // document out, for measuring a CLI run's peak memory.
    // --spawn=FILE COMMAND...: runs COMMAND, writes its seconds and peak MiB
    // to FILE (BM_ProcessVersusZlib).
    if (argc > 2 && std::string(argv[1]).starts_with("--spawn=")) {
        const TProcessRun run = SpawnAndWait(std::vector<std::string>(argv + 2, argv + argc));
        std::ofstream(std::string(argv[1]).substr(8)) << run.Seconds << ' ' << run.CpuSeconds << ' ' << run.PeakMiB
                                                       << '\n';
        return 0;
    }
    const std::string writeSynthetic = "--write-document=";
    const std::string writeProducer = "--write-producer-document=";
    const std::string writeBook = "--write-book=";
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.starts_with(writeSynthetic)) {
            std::ofstream(argument.substr(writeSynthetic.size()), std::ios::binary) << TheDocument().Bytes;
            return 0;
        }
        if (argument.starts_with(writeProducer) || argument.starts_with(writeBook)) {
            const bool book = argument.starts_with(writeBook);
            const BenchFile& file = book ? BookFile() : ProducerFile();
            if (!file.Missing.empty()) {
                std::fprintf(stderr, "%s\n", file.Missing.c_str());
                return 1;
            }
            std::filesystem::copy_file(file.Path, argument.substr((book ? writeBook : writeProducer).size()),
                                       std::filesystem::copy_options::overwrite_existing);
            std::filesystem::remove(file.Path);
            return 0;
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const char* name : {"document.pdf", "producer.pdf", "book.pdf"}) std::filesystem::remove(BenchTempPath(name));
    return 0;
}
