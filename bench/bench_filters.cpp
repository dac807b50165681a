// Throughput of the stream decoders. DecodeFlate runs side by side with a
// bare zlib inflate loop over the same bytes, and extended reading's chain
// side by side with the default reading's decoders; the ratios of their CPU
// times are printed after the table.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/Stream.h"
#include "filters/AsciiDecode.h"
#include "filters/ExtendedChain.h"
#include "filters/Flate.h"

namespace {

using lumerra::TMemoryStream;
using lumerra::TSeekOrigin;
using lumerra::TStream;

constexpr size_t FlateTextSize = 64 * 1024 * 1024;
constexpr size_t AsciiDataSize = 16 * 1024 * 1024;

// Text-drawing operators with varying numbers, as page content is.
std::string ContentText(size_t Size) {
    std::mt19937 random(42);
    std::string text;
    text.reserve(Size + 128);
    char line[128];
    while (text.size() < Size) {
        const int n = std::snprintf(line, sizeof line, "BT /F%u %u Tf %u %u Td (Hello %u) Tj ET\n",
                                    static_cast<unsigned>(random() % 4 + 1), static_cast<unsigned>(random() % 20 + 6),
                                    static_cast<unsigned>(random() % 540 + 36), static_cast<unsigned>(random() % 720 + 36),
                                    static_cast<unsigned>(random() % 10000));
        text.append(line, static_cast<size_t>(n));
    }
    text.resize(Size);
    return text;
}

std::string Compress(const std::string& Data) {
    uLongf size = compressBound(static_cast<uLong>(Data.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(Data.data()),
                  static_cast<uLong>(Data.size()), Z_DEFAULT_COMPRESSION) != Z_OK)
        throw std::runtime_error("compress2 failed");
    out.resize(size);
    return out;
}

const std::string& CompressedContent() {
    static const std::string compressed = Compress(ContentText(FlateTextSize));
    return compressed;
}

std::string RandomBytes(size_t Size) {
    std::mt19937 random(7);
    std::string bytes(Size, '\0');
    for (auto& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

// Hexadecimal in lines of 64 digits, as files usually carry it.
const std::string& HexText() {
    static const std::string text = [] {
        static const char Digits[] = "0123456789abcdef";
        const std::string bytes = RandomBytes(AsciiDataSize);
        std::string hex;
        hex.reserve(bytes.size() * 2 + bytes.size() / 32 + 2);
        for (size_t i = 0; i < bytes.size(); ++i) {
            const auto c = static_cast<unsigned char>(bytes[i]);
            hex += Digits[c >> 4];
            hex += Digits[c & 15];
            if (i % 32 == 31) hex += '\n';
        }
        return hex + ">";
    }();
    return text;
}

// Base-85 in lines of 75 characters, with "z" for zero groups.
const std::string& ASCII85Text() {
    static const std::string text = [] {
        const std::string bytes = RandomBytes(AsciiDataSize);
        std::string a85;
        a85.reserve(bytes.size() * 5 / 4 + bytes.size() / 60 + 4);
        size_t column = 0;
        for (size_t i = 0; i + 4 <= bytes.size(); i += 4) {
            uint32_t value = 0;
            for (size_t j = 0; j < 4; ++j) value = value << 8 | static_cast<unsigned char>(bytes[i + j]);
            if (value == 0) {
                a85 += 'z';
                ++column;
            } else {
                char digits[5];
                for (int j = 4; j >= 0; --j) {
                    digits[j] = static_cast<char>('!' + value % 85);
                    value /= 85;
                }
                a85.append(digits, 5);
                column += 5;
            }
            if (column >= 75) {
                a85 += '\n';
                column = 0;
            }
        }
        return a85 + "~>";
    }();
    return text;
}

// Takes every byte and keeps none: measures the decoder, not the output.
class TNullStream final : public TStream {
public:
    int32_t Read(void*, int32_t) override { return 0; }
    int32_t Write(const void* buffer, int32_t count) override {
        benchmark::DoNotOptimize(buffer);
        FPosition += count;
        return count;
    }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override {
        return ResolveSeek(FPosition, FPosition, offset, origin);
    }

private:
    int64_t FPosition = 0;
};

// zlib's inflate over the whole input at once, into a reused 256 KiB
// buffer, handing each piece to Keep; returns the bytes inflated, or 0 when
// the data did not end cleanly.
template <class TKeep>
size_t BareInflate(const std::string& compressed, Bytef* out, TKeep&& Keep) {
    constexpr uInt PieceSize = 256 * 1024;
    z_stream z{};
    if (inflateInit(&z) != Z_OK) throw std::runtime_error("inflateInit failed");
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    z.avail_in = static_cast<uInt>(compressed.size());
    int result = Z_OK;
    while (result == Z_OK) {
        z.next_out = out;
        z.avail_out = PieceSize;
        result = inflate(&z, Z_NO_FLUSH);
        Keep(out, PieceSize - z.avail_out);
    }
    const size_t total = result == Z_STREAM_END ? z.total_out : 0;
    inflateEnd(&z);
    return total;
}

// The baseline: the bare loop, discarding what it inflates.
void BM_BareInflate(benchmark::State& state) {
    const std::string& compressed = CompressedContent();
    const auto out = std::make_unique_for_overwrite<Bytef[]>(256 * 1024);
    for (auto _ : state) {
        const size_t total = BareInflate(compressed, out.get(),
                                         [](const Bytef* piece, size_t) { benchmark::DoNotOptimize(piece); });
        if (total != FlateTextSize) state.SkipWithError("inflate failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * FlateTextSize));
}

// The baseline for a caller that keeps the bytes: the same loop appending
// each piece to a growing string.
void BM_BareInflateToMemory(benchmark::State& state) {
    const std::string& compressed = CompressedContent();
    const auto out = std::make_unique_for_overwrite<Bytef[]>(256 * 1024);
    for (auto _ : state) {
        std::string kept;
        BareInflate(compressed, out.get(), [&kept](const Bytef* piece, size_t size) {
            kept.append(reinterpret_cast<const char*>(piece), size);
        });
        if (kept.size() != FlateTextSize) state.SkipWithError("inflate failed");
        benchmark::DoNotOptimize(kept.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * FlateTextSize));
}

// DecodeFlate of the content into a fresh TOutput each iteration.
template <class TOutput>
void DecodeFlateInto(benchmark::State& state) {
    TMemoryStream source;
    source.WriteBuffer(CompressedContent().data(), static_cast<int32_t>(CompressedContent().size()));
    for (auto _ : state) {
        TOutput output;
        source.SetPosition(0);
        lumerra::DecodeFlate(source, output);
        if (output.Position() != static_cast<int32_t>(FlateTextSize)) state.SkipWithError("DecodeFlate lost bytes");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * FlateTextSize));
}

void BM_DecodeFlate(benchmark::State& state) { DecodeFlateInto<TNullStream>(state); }

// The same into a memory stream, which grows as the chunks arrive: what a
// caller that keeps the decoded bytes pays.
void BM_DecodeFlateToMemory(benchmark::State& state) { DecodeFlateInto<TMemoryStream>(state); }

void BM_DecodeASCIIHex(benchmark::State& state) {
    const std::string& text = HexText();
    for (auto _ : state) {
        const std::string decoded =
            lumerra::DecodeASCIIHex(reinterpret_cast<const uint8_t*>(text.data()), static_cast<int32_t>(text.size()));
        if (decoded.size() != AsciiDataSize) state.SkipWithError("wrong size");
        benchmark::DoNotOptimize(decoded.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_DecodeASCII85(benchmark::State& state) {
    const std::string& text = ASCII85Text();
    for (auto _ : state) {
        TNullStream output;
        lumerra::DecodeASCII85(reinterpret_cast<const uint8_t*>(text.data()), static_cast<int32_t>(text.size()), output);
        if (output.Position() != static_cast<int32_t>(AsciiDataSize)) state.SkipWithError("wrong size");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// The intermediate step of a base-85 + Flate chain.
void BM_DecodeASCII85ToMemory(benchmark::State& state) {
    const std::string& text = ASCII85Text();
    for (auto _ : state) {
        TMemoryStream output;
        lumerra::DecodeASCII85ToMemory(reinterpret_cast<const uint8_t*>(text.data()), static_cast<int32_t>(text.size()),
                                       output);
        if (output.Size() != static_cast<int32_t>(AsciiDataSize)) state.SkipWithError("wrong size");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

std::span<const uint8_t> Span(const std::string& S) { return {reinterpret_cast<const uint8_t*>(S.data()), S.size()}; }

// Extended reading's chain over Data into a null output, Size bytes expected.
void Chain(benchmark::State& state, const std::string& Data, const char* Filter, size_t Size) {
    const std::vector<lumerra::TFilterStep> steps = {{Filter, {}}};
    for (auto _ : state) {
        TNullStream output;
        if (!lumerra::ApplyExtendedFilters(Span(Data), steps, output).empty() || output.Position() != static_cast<int64_t>(Size))
            state.SkipWithError("the chain lost bytes");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Size));
}

void BM_ChainFlate(benchmark::State& state) { Chain(state, CompressedContent(), "/FlateDecode", FlateTextSize); }
void BM_ChainASCIIHex(benchmark::State& state) { Chain(state, HexText(), "/ASCIIHexDecode", AsciiDataSize); }
void BM_ChainASCII85(benchmark::State& state) { Chain(state, ASCII85Text(), "/ASCII85Decode", AsciiDataSize); }

// Content streams of a page's size, which take the fast whole-buffer path.
constexpr size_t PageStreams = 256;
constexpr size_t PageStreamSize = 48 * 1024;

const std::vector<std::string>& PageStreamsCompressed() {
    static const std::vector<std::string> streams = [] {
        const std::string text = ContentText(PageStreams * PageStreamSize);
        std::vector<std::string> out;
        for (size_t i = 0; i < PageStreams; ++i) out.push_back(Compress(text.substr(i * PageStreamSize, PageStreamSize)));
        return out;
    }();
    return streams;
}

void BM_DecodeFlatePages(benchmark::State& state) {
    for (auto _ : state) {
        for (const std::string& stream : PageStreamsCompressed()) {
            TMemoryStream source;
            source.WriteBuffer(stream.data(), static_cast<int32_t>(stream.size()));
            source.SetPosition(0);
            TNullStream output;
            lumerra::DecodeFlate(source, output);
            if (output.Position() != static_cast<int64_t>(PageStreamSize)) state.SkipWithError("DecodeFlate lost bytes");
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * PageStreams * PageStreamSize));
}

void BM_ChainFlatePages(benchmark::State& state) {
    const std::vector<lumerra::TFilterStep> steps = {{"/FlateDecode", {}}};
    for (auto _ : state) {
        for (const std::string& stream : PageStreamsCompressed()) {
            // The same copy into memory as the default reading's path makes.
            TMemoryStream source;
            source.WriteBuffer(stream.data(), static_cast<int32_t>(stream.size()));
            TNullStream output;
            lumerra::ApplyExtendedFilters({source.Memory(), stream.size()}, steps, output);
            if (output.Position() != static_cast<int64_t>(PageStreamSize)) state.SkipWithError("the chain lost bytes");
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * PageStreams * PageStreamSize));
}

BENCHMARK(BM_BareInflate)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_BareInflateToMemory)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_DecodeFlate)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_DecodeFlateToMemory)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_DecodeASCIIHex)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeASCII85)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeASCII85ToMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChainFlate)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ChainASCIIHex)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChainASCII85)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeFlatePages)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ChainFlatePages)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The console table, plus the fastest CPU time per iteration of each
// benchmark, for the ratios printed at the end.
class TRatioReporter final : public benchmark::ConsoleReporter {
public:
    TRatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& reports) override {
        ConsoleReporter::ReportRuns(reports);
        for (const Run& run : reports) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            const double seconds = run.cpu_accumulated_time / static_cast<double>(run.iterations);
            const auto [it, added] = Fastest.try_emplace(run.run_name.function_name, seconds);
            if (!added) it->second = std::min(it->second, seconds);
        }
    }

    void PrintRatio(const std::string& name, const std::string& baseline) const {
        const auto a = Fastest.find(name);
        const auto b = Fastest.find(baseline);
        if (a == Fastest.end() || b == Fastest.end()) return;
        std::printf("ratio %s / %s (CPU time): %.3f\n", name.c_str(), baseline.c_str(), a->second / b->second);
    }

    std::map<std::string, double> Fastest;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("BM_DecodeFlate", "BM_BareInflate");
    reporter.PrintRatio("BM_DecodeFlateToMemory", "BM_BareInflateToMemory");
    reporter.PrintRatio("BM_ChainFlate", "BM_DecodeFlate");
    reporter.PrintRatio("BM_ChainFlatePages", "BM_DecodeFlatePages");
    reporter.PrintRatio("BM_ChainASCIIHex", "BM_DecodeASCIIHex");
    reporter.PrintRatio("BM_ChainASCII85", "BM_DecodeASCII85");
    benchmark::Shutdown();
    return 0;
}
