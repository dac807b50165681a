// DecodeFlate: chunks, the end of the zlib data, truncated and damaged data.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "filters/Flate.h"
#include "support/FilterFixtures.h"

namespace lumerra {
namespace {

using test::Contents;
using test::Deflate;
using test::Load;

// Inflates Compressed into a memory stream; Failed tells whether
// DecodeFlate raised (with the failure message).
std::string Inflate(const std::string& Compressed, bool* Failed = nullptr) {
    TMemoryStream source;
    Load(source, Compressed);
    TMemoryStream output;
    bool failed = false;
    try {
        DecodeFlate(source, output);
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), FlateFailureMessage);
        failed = true;
    }
    if (Failed) *Failed = failed;
    return Contents(output);
}

TEST(DecodeFlate, EmptySourceAppendsNothing) {
    bool failed = true;
    EXPECT_EQ(Inflate("", &failed), "");
    EXPECT_FALSE(failed);
}

TEST(DecodeFlate, AppendsAtTheOutputsPosition) {
    TMemoryStream source;
    Load(source, Deflate("inflated"));
    TMemoryStream output;
    Load(output, "before|", 7);
    DecodeFlate(source, output);
    EXPECT_EQ(Contents(output), "before|inflated");
}

TEST(DecodeFlate, DataThatGrowsALotArrivesInOrderedChunks) {
    const std::string text = test::ContentText(1024 * 1024, 7);
    const std::string compressed = Deflate(text);
    ASSERT_GT(text.size(), 3 * compressed.size());
    TMemoryStream source;
    Load(source, compressed);
    test::TRecordingStream output;
    DecodeFlateWithZlib(source, output);
    EXPECT_GT(output.Writes.size(), 1u);
    EXPECT_TRUE(output.All() == text);
}

TEST(DecodeFlate, DataThatGrowsLittleIsWrittenOnce) {
    const std::string random = test::RandomBytes(80000);
    TMemoryStream source;
    Load(source, Deflate(random));
    test::TRecordingStream output;
    DecodeFlate(source, output);
    ASSERT_EQ(output.Writes.size(), 1u);
    EXPECT_TRUE(output.Writes[0] == random);
}

TEST(DecodeFlate, ChunkSizeIsThreeTimesTheSourceWithinBounds) {
    EXPECT_EQ(FlateChunkSize(50000), 150000);
    EXPECT_EQ(FlateChunkSize(10), 64 * 1024);
    EXPECT_EQ(FlateChunkSize(0), 64 * 1024);
    EXPECT_EQ(FlateChunkSize(4 * 1024 * 1024), 256 * 1024);
    // Three times a large stream would not fit in 32 bits.
    EXPECT_EQ(FlateChunkSize(INT32_MAX), 256 * 1024);
    EXPECT_EQ(FlateChunkSize(0x60000000), 256 * 1024);
}

// Whatever follows the end of the zlib data is not inflated, and everything
// before it is kept.
TEST(DecodeFlateEnd, BytesAfterTheZlibDataAreIgnored) {
    const std::string text = test::ContentText(20000);
    for (const std::string& tail : {std::string("X"), std::string("\r\n"), std::string("\n\n"),
                                   std::string(100000, '\0'), Deflate("a second stream")}) {
        bool failed = true;
        EXPECT_TRUE(Inflate(Deflate(text) + tail, &failed) == text) << "tail of " << tail.size();
        EXPECT_FALSE(failed);
    }
}

TEST(DecodeFlateEnd, ExtraBytesAfterAMultiChunkStream) {
    const std::string text = test::ContentText(1024 * 1024, 3);
    bool failed = true;
    EXPECT_TRUE(Inflate(Deflate(text) + "\r\n", &failed) == text);
    EXPECT_FALSE(failed);
}

TEST(DecodeFlateEnd, TruncatedDataGivesWhatCouldBeInflated) {
    const std::string text = test::ContentText(100000);
    const std::string compressed = Deflate(text);
    bool failed = true;
    const std::string partial = Inflate(compressed.substr(0, compressed.size() / 2), &failed);
    EXPECT_FALSE(failed);
    EXPECT_GT(partial.size(), 0u);
    EXPECT_LT(partial.size(), text.size());
    EXPECT_TRUE(text.compare(0, partial.size(), partial) == 0);
}

TEST(DecodeFlateEnd, TruncatedStoredBlockGivesEveryByteThatCame) {
    // Level 0 stores: header (2), block header (5), then the bytes.
    const std::string stored = Deflate("ABCDEFGH", 0);
    EXPECT_EQ(Inflate(stored.substr(0, 2 + 5 + 5)), "ABCDE");
}

TEST(DecodeFlateFault, DataWithoutTheZlibHeaderFails) {
    bool failed = false;
    EXPECT_EQ(Inflate(test::DeflateWith("some text some text", -15), &failed), "");
    EXPECT_TRUE(failed);
}

TEST(DecodeFlateFault, PresetDictionaryRequestFails) {
    bool failed = false;
    EXPECT_EQ(Inflate(test::DeflateWith("BT /F1 12 Tf ET", 15, "BT ET"), &failed), "");
    EXPECT_TRUE(failed);
}

TEST(DecodeFlateFault, CorruptBlockKeepsTheBytesBeforeIt) {
    const std::string text = test::ContentText(150000);
    bool failed = false;
    EXPECT_TRUE(Inflate(test::DeflateThenBadBlock(text), &failed) == text);
    EXPECT_TRUE(failed);
}

TEST(DecodeFlateFault, CorruptBlockAfterSeveralChunks) {
    const std::string text = test::ContentText(1024 * 1024, 5);
    bool failed = false;
    EXPECT_TRUE(Inflate(test::DeflateThenBadBlock(text), &failed) == text);
    EXPECT_TRUE(failed);
}

TEST(DecodeFlateFault, WrongCheckValueKeepsTheInflatedBytes) {
    const std::string text = test::ContentText(30000);
    std::string compressed = Deflate(text);
    compressed.back() = static_cast<char>(compressed.back() ^ 1);
    bool failed = false;
    EXPECT_TRUE(Inflate(compressed, &failed) == text);
    EXPECT_TRUE(failed);
}

TEST(DecodeFlateFault, GarbageInTheMiddleKeepsAPrefix) {
    const std::string text = test::ContentText(100000);
    std::string compressed = Deflate(text);
    for (size_t i = compressed.size() / 2; i < compressed.size() / 2 + 64; ++i) compressed[i] = '\xFF';
    bool failed = false;
    const std::string partial = Inflate(compressed, &failed);
    EXPECT_TRUE(failed);
    EXPECT_GT(partial.size(), 0u);
    EXPECT_LT(partial.size(), text.size());
}

}  // namespace
}  // namespace lumerra
