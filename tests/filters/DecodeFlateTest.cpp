// DecodeFlate: chunks, the end of the zlib data, truncated and damaged data.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "filters/Flate.h"
#include "support/FilterFixtures.h"
#include "support/Raised.h"

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
    const std::string message = test::RaisedMessage([&] { DecodeFlate(source, output); });
    EXPECT_TRUE(message.empty() || message == FlateFailureMessage) << message;
    if (Failed) *Failed = !message.empty();
    return Contents(output);
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

// What comes out of whole, cut, trailed and damaged zlib data, and whether
// DecodeFlate raised: whatever follows the end of the zlib data is not
// inflated, and everything decoded before the end or the damage is kept.
TEST(DecodeFlate, EndsAndFaults) {
    const std::string text = test::ContentText(100000);
    const std::string large = test::ContentText(1024 * 1024, 5);  // several chunks
    const std::string compressed = Deflate(text);
    std::string badCheck = compressed;
    badCheck.back() = static_cast<char>(badCheck.back() ^ 1);
    std::string garbage = compressed;
    for (size_t i = compressed.size() / 2; i < compressed.size() / 2 + 64; ++i) garbage[i] = '\xFF';
    struct TCase {
        const char* Name;
        std::string Data;
        std::string Text;  // what comes out, or what it is a part of
        bool Part;         // shorter than Text and not empty
        bool Failed;
    };
    const std::vector<TCase> cases = {
        {"empty source", "", "", false, false},
        {"a byte after the end", compressed + "X", text, false, false},
        {"CR LF after the end", compressed + "\r\n", text, false, false},
        {"two line ends after the end", compressed + "\n\n", text, false, false},
        {"many zero bytes after the end", compressed + std::string(100000, '\0'), text, false, false},
        {"a second stream after the end", compressed + Deflate("a second stream"), text, false, false},
        {"CR LF after a stream of several chunks", Deflate(large) + "\r\n", large, false, false},
        {"cut in half", compressed.substr(0, compressed.size() / 2), text, true, false},
        // Level 0 stores: header (2), block header (5), then the bytes.
        {"a stored block cut short", Deflate("ABCDEFGH", 0).substr(0, 2 + 5 + 5), "ABCDE", false, false},
        {"no zlib header", test::DeflateWith("some text some text", -15), "", false, true},
        {"a preset dictionary request", test::DeflateWith("BT /F1 12 Tf ET", 15, "BT ET"), "", false, true},
        {"a corrupt block", test::DeflateThenBadBlock(text), text, false, true},
        {"a corrupt block after several chunks", test::DeflateThenBadBlock(large), large, false, true},
        {"a wrong check value", badCheck, text, false, true},
        {"garbage in the middle", garbage, text, true, true},
    };
    for (const TCase& c : cases) {
        bool failed = !c.Failed;
        const std::string out = Inflate(c.Data, &failed);
        EXPECT_EQ(failed, c.Failed) << c.Name;
        if (c.Part) {
            EXPECT_GT(out.size(), 0u) << c.Name;
            EXPECT_LT(out.size(), c.Text.size()) << c.Name;
            // Garbage may inflate to other bytes before zlib sees it is wrong.
            if (!c.Failed) {
                EXPECT_TRUE(c.Text.starts_with(out)) << c.Name;
            }
        } else {
            EXPECT_TRUE(out == c.Text) << c.Name << ": " << out.size() << " bytes";
        }
    }
}

}  // namespace
}  // namespace lumerra
