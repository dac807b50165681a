// Extended reading's chain: every filter and chains of them decode what their
// encoders wrote; damage in any filter is one record naming that filter and
// the offset in its own input; output is cut at the cap, leaves in bounded
// pieces, and a stream costs bounded memory however large its output.
#include <gtest/gtest.h>
#include <malloc.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "support/ChainFixtures.h"
#include "support/DecoderEncoders.h"

// Live heap bytes of this test program, and their high-water mark.
namespace {
std::atomic<int64_t> LiveBytes{0};
std::atomic<int64_t> PeakBytes{0};
}  // namespace

void* operator new(size_t Size) {
    void* p = std::malloc(Size == 0 ? 1 : Size);
    if (p == nullptr) throw std::bad_alloc();
    const int64_t live = LiveBytes += static_cast<int64_t>(malloc_usable_size(p));
    for (int64_t peak = PeakBytes.load(); live > peak && !PeakBytes.compare_exchange_weak(peak, live);) {
    }
    return p;
}
void operator delete(void* P) noexcept {
    if (P == nullptr) return;
    LiveBytes -= static_cast<int64_t>(malloc_usable_size(P));
    std::free(P);
}
void operator delete(void* P, size_t) noexcept { operator delete(P); }

namespace lumerra {
namespace {

using test::DecodeChain;
using test::Step;
using M = TMessageCode;

const std::string Hex = "/ASCIIHexDecode", A85 = "/ASCII85Decode", Flate = "/FlateDecode", LZW = "/LZWDecode",
                  RL = "/RunLengthDecode", Crypt = "/Crypt";

// Copy runs of up to 128 bytes, then the end marker.
std::string EncodeRunLength(const std::string& Data) {
    std::string out;
    for (size_t i = 0; i < Data.size(); i += 128) {
        const std::string run = Data.substr(i, 128);
        out += static_cast<char>(run.size() - 1);
        out += run;
    }
    return out + "\x80";
}

TEST(FilterPipeline, ChainsGiveBackWhatTheirEncodersWrote) {
    const std::string text = test::ContentText(70000, 7);  // more than a stage's buffer
    struct TCase {
        const char* Name;
        std::vector<TFilterStep> Steps;
        std::string Data;
    };
    const std::string png = test::EncodePNG(text, 20, 1, {0, 1, 2, 3, 4});
    const std::vector<TCase> cases = {
        {"no filter", {}, text},
        {"Identity crypt", {Step(Crypt, {.CryptName = "/Identity"})}, text},
        {"ASCIIHex", {Step(Hex)}, test::EncodeHex(text) + ">"},
        {"ASCII85", {Step(A85)}, test::EncodeASCII85(text) + "~>"},
        {"Flate", {Step(Flate)}, test::Deflate(text)},
        {"LZW", {Step(LZW)}, test::EncodeLZW(text)},
        {"RunLength", {Step(RL)}, EncodeRunLength(text)},
        {"Flate with PNG rows", {test::Predicted(Flate, {.Predictor = 12, .Columns = 20})}, test::Deflate(png)},
        {"LZW with TIFF rows", {test::Predicted(LZW, {.Predictor = 2, .Colors = 2, .Columns = 10})},
         test::EncodeLZW(test::EncodeTIFF(text, 2, 8, 10))},
        {"ASCIIHex, Flate", {Step(Hex), Step(Flate)}, test::EncodeHex(test::Deflate(text)) + ">"},
        {"ASCII85, LZW", {Step(A85), Step(LZW)}, test::EncodeASCII85(test::EncodeLZW(text)) + "~>"},
        {"Flate, RunLength", {Step(Flate), Step(RL)}, test::Deflate(EncodeRunLength(text))},
        {"RunLength, Flate with PNG rows",
         {Step(RL), test::Predicted(Flate, {.Predictor = 12, .Columns = 20})},
         EncodeRunLength(test::Deflate(png))},
        {"five filters",
         {Step(Hex), Step(A85), Step(Flate), Step(LZW), Step(RL)},
         test::EncodeHex(test::EncodeASCII85(test::Deflate(test::EncodeLZW(EncodeRunLength(text)))) + "~>") + ">"},
        {"Flate not first, with zlib's rules", {Step(Crypt), Step(Flate)}, test::Deflate(text) + "trailing"},
    };
    for (const TCase& c : cases) {
        ASSERT_TRUE(ExtendedFiltersDecodable(c.Steps)) << c.Name;
        const test::TChainResult d = DecodeChain(c.Data, c.Steps);
        EXPECT_TRUE(d.Bytes == text) << c.Name << ": " << d.Bytes.size() << " bytes";
        EXPECT_TRUE(d.Damage.empty()) << c.Name << ": " << testing::PrintToString(d.Damage);
    }
}

TEST(FilterPipeline, TextFiltersReadAsWritten) {
    struct TCase {
        const char* Name;
        std::string Filter, Data, Bytes;
        int64_t DamageAt;  // -1: none
    };
    const std::vector<TCase> cases = {
        {"hex, white space between digits", Hex, std::string("4 1\t4\n2\r\f4\0003>", 12), "ABC", -1},
        {"hex, odd final digit", Hex, "41424>", "AB@", -1},
        {"hex, no end marker", Hex, "4142", "AB", -1},
        {"hex, nothing after the marker counts", Hex, "41>42", "A", -1},
        {"hex, a byte that is no digit", Hex, "4142xx43>", "AB", 4},
        {"85, z for four zeros", A85, "z~>", std::string(4, '\0'), -1},
        {"85, final groups", A85, "9jqo^BlbD-BleB1DJ+*+F(f,q~>", "Man is distinguished", -1},
        {"85, white space inside a group", A85, "9jq\no^ ~>", "Man ", -1},
        {"85, no end marker", A85, "9jqo^Blb", "Man is", -1},
        {"85, z inside a group", A85, "9jzo^~>", "", 2},
        {"85, a group past 2^32 - 1", A85, "9jqo^uuuuu~>", "Man ", 9},
        {"85, a final group of one digit", A85, "9jqo^B~>", "Man ", 6},
        {"85, ~ without >", A85, "9jqo^~x", "Man ", 5},
        {"85, a byte outside the code", A85, "9jqo^v", "Man ", 5},
    };
    for (const TCase& c : cases) {
        const test::TChainResult d = DecodeChain(c.Data, {Step(c.Filter)});
        EXPECT_EQ(d.Bytes, c.Bytes) << c.Name;
        std::vector<TFilterDiagnostic> damage;
        if (c.DamageAt >= 0)
            damage.push_back({c.Filter == Hex ? M::AsciiHexFailed : M::Ascii85Failed, 0, c.Filter, c.DamageAt});
        EXPECT_EQ(d.Damage, damage) << c.Name;
    }
}

TEST(FilterPipeline, DamageNamesItsFilterAndTheOffsetInItsInput) {
    const std::string text = test::ContentText(3000, 9);
    const std::string lzw = test::EncodeLZW(text);
    std::string badHeader = test::Deflate(text);
    badHeader[1] = static_cast<char>(badHeader[1] ^ 1);  // the header's check fails after its two bytes
    const std::string hexOfLzw = test::EncodeHex(lzw);
    // Runs without their end marker, in whole PNG rows of 56 bytes.
    std::string runs = EncodeRunLength(text);
    runs.pop_back();
    ASSERT_EQ(runs.size() % 56, 0u);
    const std::string png = test::EncodePNG(runs, 56, 1, {1});
    struct TCase {
        const char* Name;
        std::vector<TFilterStep> Steps;
        std::string Data;
        size_t BytesOut;  // of text, decoded before the damage ended the data
        std::vector<TFilterDiagnostic> Damage;
    };
    const std::vector<TCase> cases = {
        {"Flate first", {Step(Flate), Step(RL)}, badHeader, 0,
         {{M::FlateFailed, 0, Flate, 2}, {M::RunLengthFailed, 1, RL, 0}}},
        {"Flate second", {Step(Hex), Step(Flate)}, test::EncodeHex(badHeader), 0, {{M::FlateFailed, 1, Flate, 2}}},
        {"the first of two: the second runs out too", {Step(Hex), Step(LZW)},
         hexOfLzw.substr(0, 200) + "g" + hexOfLzw.substr(200), 0,
         {{M::AsciiHexFailed, 0, Hex, 200}, {M::LzwFailed, 1, LZW, 100}}},
        {"the last of three, after a crypt filter", {Step(Crypt), Step(Hex), Step(LZW)},
         test::EncodeHex(lzw.substr(0, 1000)) + ">", 0, {{M::LzwFailed, 2, LZW, 1000}}},
        {"the predictor of the first", {test::Predicted(Flate, {.Predictor = 10, .Columns = 56}), Step(RL)},
         test::Deflate(png + "\x07" + std::string(56, '0')), text.size(),
         {{M::PredictorFailed, 0, Flate, static_cast<int64_t>(png.size())},
          {M::RunLengthFailed, 1, RL, static_cast<int64_t>(runs.size())}}},
        {"RunLength in the middle", {Step(RL), Step(Hex)}, EncodeRunLength(test::EncodeHex(text)).substr(0, 500), 0,
         {{M::RunLengthFailed, 0, RL, 500}}},
        {"all the data before the damage", {Step(A85), Step(Hex)}, test::EncodeASCII85(test::EncodeHex(text)) + "~x",
         text.size(), {{M::Ascii85Failed, 0, A85, static_cast<int64_t>(test::EncodeASCII85(test::EncodeHex(text)).size())}}},
    };
    for (const TCase& c : cases) {
        const test::TChainResult d = DecodeChain(c.Data, c.Steps);
        EXPECT_EQ(d.Damage, c.Damage) << c.Name;
        if (c.BytesOut > 0) {
            EXPECT_TRUE(d.Bytes == text.substr(0, c.BytesOut)) << c.Name;
        }
        EXPECT_TRUE(text.starts_with(d.Bytes)) << c.Name << ": what came before the damage stays";
    }
}

// A stream already Start bytes long that keeps only what is written to it,
// and the largest write.
class TCountingSink final : public TStream {
public:
    explicit TCountingSink(int32_t Start = 0) : FPosition(Start) {}
    int32_t Read(void*, int32_t) override { return 0; }
    int32_t Write(const void* buffer, int32_t count) override {
        if (Keep) Written.append(static_cast<const char*>(buffer), static_cast<size_t>(count));
        Total += count;
        LargestWrite = std::max(LargestWrite, count);
        FPosition += count;
        return count;
    }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override { return ResolveSeek(FPosition, FPosition, offset, origin); }

    bool Keep = true;
    std::string Written;
    int64_t Total = 0;
    int32_t LargestWrite = 0;

private:
    int32_t FPosition;
};

struct TBigCase {
    const char* Name;
    std::vector<TFilterStep> Steps;
    std::string Data;
};

// 64 MiB of output from a few KiB of data, through chains of up to five.
std::vector<TBigCase> BigCases(int64_t& Size) {
    Size = 64 * 1024 * 1024;
    std::string runs;
    for (int64_t i = 0; i < Size / 128; ++i) runs += "\x81x";
    runs += "\x80";
    test::TLZWEncoding keep;
    keep.ClearWhenFull = false;
    const std::string lzw = test::EncodeLZW(runs, keep);
    return {
        {"Flate, LZW, RunLength", {Step(Flate), Step(LZW), Step(RL)}, test::Deflate(lzw)},
        {"five", {Step(Hex), Step(Crypt), Step(Flate), Step(LZW), Step(RL)}, test::EncodeHex(test::Deflate(lzw)) + ">"},
        {"Flate of it all, second", {Step(Crypt), Step(Flate)}, test::Deflate(std::string(Size, 'x'))},
    };
}

TEST(FilterPipeline, LargeOutputCostsBoundedMemoryAndLeavesInPieces) {
    int64_t size = 0;
    for (const TBigCase& c : BigCases(size)) {
        TCountingSink sink;
        sink.Keep = false;
        const int64_t before = LiveBytes.load();
        PeakBytes = before;
        const std::vector<TFilterDiagnostic> damage = ApplyExtendedFilters(test::Span(c.Data), c.Steps, sink);
        EXPECT_LT(PeakBytes.load() - before, 1024 * 1024) << c.Name;
        EXPECT_TRUE(damage.empty()) << c.Name;
        EXPECT_EQ(sink.Total, size) << c.Name;
        EXPECT_LE(sink.LargestWrite, 64 * 1024) << c.Name;
    }
}

TEST(FilterPipeline, OutputStopsAtTheCapWithWhatCameBefore) {
    const std::string text = test::ContentText(5000, 3);
    struct TCase {
        const char* Name;
        std::vector<TFilterStep> Steps;
        std::string Data;
    };
    const std::vector<TCase> cases = {
        {"Flate", {Step(Flate)}, test::Deflate(text)},
        {"LZW", {Step(LZW)}, test::EncodeLZW(text)},
        {"RunLength", {Step(RL)}, EncodeRunLength(text)},
        {"PNG", {test::Predicted(Flate, {.Predictor = 11, .Columns = 10})}, test::Deflate(test::EncodePNG(text, 10, 1, {2}))},
        {"TIFF", {test::Predicted(LZW, {.Predictor = 2, .Columns = 10})}, test::EncodeLZW(test::EncodeTIFF(text, 1, 8, 10))},
        {"two", {Step(Hex), Step(RL)}, test::EncodeHex(EncodeRunLength(text))},
    };
    for (const TCase& c : cases) {
        for (const int32_t cap : {0, 1, 100, static_cast<int32_t>(text.size()) - 1, static_cast<int32_t>(text.size())}) {
            TCountingSink out;
            out.Write("before|", 7);
            EXPECT_TRUE(ApplyExtendedFilters(test::Span(c.Data), c.Steps, out, cap).empty()) << c.Name << " " << cap;
            EXPECT_TRUE(out.Written == "before|" + text.substr(0, static_cast<size_t>(cap))) << c.Name << " " << cap;
        }
        TCountingSink none;
        ApplyExtendedFilters(test::Span(c.Data), c.Steps, none, -5);
        EXPECT_EQ(none.Total, 0) << c.Name;
        // By default, what the stream can still hold.
        TCountingSink full(INT32_MAX - 10);
        ApplyExtendedFilters(test::Span(c.Data), c.Steps, full);
        EXPECT_EQ(full.Written, text.substr(0, 10)) << c.Name;
        EXPECT_EQ(full.Position(), INT32_MAX) << c.Name;
    }
}

TEST(FilterPipeline, AFilterGivingMoreThanTheNextTakesIsToldAsCut) {
    // 5001 bytes of hexadecimal text for 2500 bytes of output.
    const std::string hex = std::string(5000, '0') + ">";
    struct TCase {
        const char* Name;
        std::vector<TFilterStep> Steps;
        std::string Data;
        int64_t Limit;
        size_t Output;
        std::string Damage;  // "filter name offset" of each record
    };
    const std::vector<TCase> cases = {
        {"within the limit", {Step(Flate), Step(Hex)}, test::Deflate(hex), 5001, 2500, ""},
        {"past the limit", {Step(Flate), Step(Hex)}, test::Deflate(hex), 1000, 500, "0 /FlateDecode 1000;"},
        {"one byte past the limit", {Step(Flate), Step(Hex)}, test::Deflate(hex), 5000, 2500, "0 /FlateDecode 5000;"},
        {"the filter that gave too much is named", {Step(Flate), Step(Flate), Step(Hex)},
         test::Deflate(test::Deflate(hex)), 1000, 500, "1 /FlateDecode 1000;"},
    };
    for (const TCase& c : cases) {
        TFilterPipeline pipeline(test::Span(c.Data), c.Steps, c.Limit);
        std::vector<uint8_t> piece(4096);
        size_t output = 0;
        for (size_t n; (n = pipeline.Read(piece)) > 0;) output += n;
        EXPECT_EQ(output, c.Output) << c.Name;
        std::string damage;
        for (const TFilterDiagnostic& d : pipeline.Diagnostics()) {
            EXPECT_EQ(d.Code, M::FilterOutputCut) << c.Name;
            damage += std::to_string(d.Filter) + " " + d.Name + " " + std::to_string(d.Offset) + ";";
        }
        EXPECT_EQ(damage, c.Damage) << c.Name;
    }
}

TEST(FilterPipeline, StepsThatCannotBeDecodedAppendNothing) {
    const std::vector<std::vector<TFilterStep>> refused = {
        {Step("/DCTDecode")},
        {Step(Flate), Step("/JBIG2Decode")},
        {Step(Crypt, {.CryptName = "/StdCF"})},
        {test::Predicted(Flate, {.Predictor = 7})},
        {Step("FlateDecode")},
    };
    for (const auto& steps : refused) {
        EXPECT_FALSE(ExtendedFiltersDecodable(steps));
        const test::TChainResult d = DecodeChain(test::Deflate("text"), steps);
        EXPECT_EQ(d.Bytes, "");
        EXPECT_TRUE(d.Damage.empty());
    }
    EXPECT_TRUE(ExtendedFiltersDecodable({test::Predicted(RL, {.Predictor = 7})}));  // RunLength takes no predictor
}

}  // namespace
}  // namespace lumerra
