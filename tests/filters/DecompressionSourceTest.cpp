// TDecompressionSource: reading from where the source stood, the end of the
// data, truncated data, and failures.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "filters/Flate.h"
#include "filters/ZlibSource.h"
#include "support/FilterFixtures.h"

namespace lumerra {
namespace {

using test::Deflate;
using test::Load;

// Reads in pieces until a read gives 0 or -1; Last gets that result.
std::string ReadAll(TByteSource& Z, int32_t Piece = 1000, int32_t* Last = nullptr) {
    std::string all;
    std::string buffer(static_cast<size_t>(Piece), '\0');
    for (;;) {
        const int32_t n = Z.Read(buffer.data(), Piece);
        if (n <= 0) {
            if (Last) *Last = n;
            return all;
        }
        all.append(buffer.data(), static_cast<size_t>(n));
    }
}

const std::string Text = test::ContentText(50000);

// What zlib itself gives for the whole input in one call.
std::string InflateAll(const std::string& Data) {
    z_stream z{};
    EXPECT_EQ(inflateInit(&z), Z_OK);
    std::string out(1 << 22, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(Data.data()));
    z.avail_in = static_cast<uInt>(Data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    inflate(&z, Z_NO_FLUSH);
    out.resize(z.total_out);
    inflateEnd(&z);
    return out;
}

TEST(DecompressionSource, ShortReadAtTheEndThenZero) {
    TMemoryStream source;
    Load(source, Deflate(Text));
    TDecompressionSource z(source);
    std::string buffer(Text.size() + 100, '\0');
    EXPECT_EQ(z.Read(buffer.data(), static_cast<int32_t>(buffer.size())), static_cast<int32_t>(Text.size()));
    EXPECT_EQ(buffer.substr(0, Text.size()), Text);
    EXPECT_EQ(z.Read(buffer.data(), 10), 0);
}

TEST(DecompressionSource, StartsWhereTheSourceStood) {
    TMemoryStream source;
    Load(source, "garbage before" + Deflate(Text), 14);
    TDecompressionSource z(source);
    EXPECT_EQ(ReadAll(z, 777), Text);
}

TEST(DecompressionSource, SourceMovedBetweenReadsIsRepositioned) {
    // Larger than one input buffer, so that the second read refills.
    const std::string random = test::RandomBytes(200000);
    TMemoryStream source;
    Load(source, Deflate(random));
    TDecompressionSource z(source);
    std::string first(1000, '\0');
    ASSERT_EQ(z.Read(first.data(), 1000), 1000);
    source.SetPosition(3);  // another reader used the shared stream
    EXPECT_EQ(first + ReadAll(z, 65536), random);
}

// A failing read still returns the good bytes it inflated; every read after
// it returns -1.
TEST(DecompressionSource, FailureKeepsTheBytesBeforeItThenMinusOne) {
    const struct {
        const char* What;
        std::string Data;
        std::string Good;
    } cases[] = {
        {"a bad block after good ones", test::DeflateThenBadBlock(Text), Text},
        {"no zlib data at all", "not zlib data at all", ""},
        {"a preset dictionary request", test::DeflateWith(Text, 15, "BT ET Tf Td Tj"), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        TMemoryStream source;
        Load(source, c.Data);
        TDecompressionSource z(source);
        int32_t last = 0;
        EXPECT_EQ(ReadAll(z, static_cast<int32_t>(2 * Text.size()), &last), c.Good);
        EXPECT_EQ(last, -1);
        char buffer[10];
        EXPECT_EQ(z.Read(buffer, 10), -1);
    }
}

// Truncated zlib data: when the source ends, the bytes zlib has already
// decoded from the input it took must still come out, however small the
// reads are. (Found by fuzzing: reads of 3,473 bytes lost the last 889.)
TEST(DecompressionSource, TruncatedDataGivesWhatZlibGivesForEveryPieceSize) {
    const unsigned char found[] = {0x78, 0xda, 0xed, 0xc2, 0x01, 0x0d, 0x00, 0x00, 0x0c, 0x02, 0xa0, 0xac, 0x6a, 0xff,
                                   0x0e, 0x8f, 0xf0, 0x02, 0x30, 0xd2, 0x45, 0x55, 0x00, 0x0c, 0x02, 0xa0, 0xac, 0x6a,
                                   0xff, 0x55, 0x78, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "BT /F1 12 Tf " + std::to_string(i % 97) + " 0 Td (repeated words) Tj ET\n";
    const std::string whole = Deflate(text, 9);
    const std::vector<std::string> cases = {std::string(reinterpret_cast<const char*>(found), sizeof found),
                                            whole.substr(0, whole.size() / 3), whole.substr(0, whole.size() / 2),
                                            whole.substr(0, whole.size() - 5)};
    ASSERT_EQ(InflateAll(cases[0]).size(), 14781u);
    for (const std::string& truncated : cases) {
        const std::string expected = InflateAll(truncated);
        for (const int32_t piece : {1, 100, 257, 3473, 4096, 65536}) {
            SCOPED_TRACE(std::to_string(truncated.size()) + " bytes in pieces of " + std::to_string(piece));
            TMemoryStream source;
            Load(source, truncated);
            TDecompressionSource z(source);
            EXPECT_EQ(ReadAll(z, piece), expected);
        }
        TMemoryStream source, output;
        Load(source, truncated);
        DecodeFlate(source, output);
        EXPECT_EQ(test::Contents(output), expected);
    }
}

}  // namespace
}  // namespace lumerra
