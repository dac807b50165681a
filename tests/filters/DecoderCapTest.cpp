// The output of the LZW, RunLength and predictor decoders: appended at the
// stream's position in bounded chunks, bombs stopped at the cap with what
// they produced, and by default capped at what the stream can still hold.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "support/FilterFixtures.h"
#include "filters/Lzw.h"
#include "filters/Predictor.h"
#include "filters/RunLength.h"
#include "support/DecoderEncoders.h"

namespace lumerra {
namespace {

using TDecoder = std::function<TDecodeEnd(const std::string&, TStream&, int32_t)>;

const uint8_t* Bytes(const std::string& S) { return reinterpret_cast<const uint8_t*>(S.data()); }
int32_t Size(const std::string& S) { return static_cast<int32_t>(S.size()); }

struct TCase {
    const char* Name;
    TDecoder Decode;
    std::string Data;  // decodes completely to more than 100 bytes
};

std::vector<TCase> Cases() {
    std::string runs;
    for (int i = 0; i < 1000; ++i) runs += "\x81x";  // 128 000 bytes
    return {
        {"LZW",
         [](const std::string& D, TStream& O, int32_t Max) { return DecodeLZW(Bytes(D), Size(D), O, true, Max); },
         test::EncodeLZW(std::string(1000000, 'a'))},
        {"RunLength",
         [](const std::string& D, TStream& O, int32_t Max) { return DecodeRunLength(Bytes(D), Size(D), O, Max); },
         runs + "\x80"},
        {"PNG",
         [](const std::string& D, TStream& O, int32_t Max) {
             return DecodePredictor(Bytes(D), Size(D), {.Predictor = 11, .Columns = 10}, O, Max);
         },
         test::EncodePNG(test::RandomBytes(200), 10, 1, {2})},
        {"TIFF",
         [](const std::string& D, TStream& O, int32_t Max) {
             return DecodePredictor(Bytes(D), Size(D), {.Predictor = 2, .Columns = 10}, O, Max);
         },
         test::RandomBytes(200)},
    };
}

// A stream already Start bytes long that keeps only what is written to it.
class TLongStream final : public TStream {
public:
    explicit TLongStream(int32_t Start) : FPosition(Start) {}
    int32_t Read(void*, int32_t) override { return 0; }
    int32_t Write(const void* buffer, int32_t count) override {
        Written.append(static_cast<const char*>(buffer), static_cast<size_t>(count));
        FPosition += count;
        return count;
    }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override {
        return ResolveSeek(FPosition, FPosition, offset, origin);
    }
    std::string Written;

private:
    int32_t FPosition;
};

TEST(DecoderCap, OutputStopsAtTheCapWithWhatCameBefore) {
    for (const TCase& c : Cases()) {
        TMemoryStream whole;
        ASSERT_EQ(c.Decode(c.Data, whole, MaxStreamOutput), TDecodeEnd::Complete) << c.Name;
        const std::string all = test::Contents(whole);
        for (const int32_t cap : {0, 1, 100, static_cast<int32_t>(all.size()) - 1}) {
            TMemoryStream out;
            test::Load(out, "before|", 7);
            EXPECT_EQ(c.Decode(c.Data, out, cap), TDecodeEnd::Capped) << c.Name << " " << cap;
            EXPECT_TRUE(test::Contents(out) == "before|" + all.substr(0, static_cast<size_t>(cap))) << c.Name << cap;
        }
        // Exactly the cap is no excess.
        TMemoryStream exact;
        EXPECT_EQ(c.Decode(c.Data, exact, static_cast<int32_t>(all.size())), TDecodeEnd::Complete) << c.Name;
        TMemoryStream none;
        EXPECT_EQ(c.Decode(c.Data, none, -5), TDecodeEnd::Capped) << c.Name;
        EXPECT_EQ(none.Size(), 0);
    }
}

TEST(DecoderCap, DefaultCapIsWhatTheStreamCanStillHold) {
    for (const TCase& c : Cases()) {
        TLongStream out(INT32_MAX - 10);
        EXPECT_EQ(c.Decode(c.Data, out, MaxStreamOutput), TDecodeEnd::Capped) << c.Name;
        EXPECT_EQ(out.Written.size(), 10u) << c.Name;
        EXPECT_EQ(out.Position(), INT32_MAX);
    }
}

TEST(DecoderCap, LargeOutputGoesOutInChunks) {
    for (const TCase& c : Cases()) {
        if (std::string(c.Name) != "LZW" && std::string(c.Name) != "RunLength") continue;
        test::TRecordingStream out;
        c.Decode(c.Data, out, MaxStreamOutput);
        EXPECT_GT(out.Writes.size(), 1u) << c.Name;
        for (const auto& w : out.Writes) EXPECT_LE(w.size(), 64u * 1024) << c.Name;
    }
}

}  // namespace
}  // namespace lumerra
