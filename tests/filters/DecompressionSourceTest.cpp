// TDecompressionSource: reading from where the source stood, the end of the
// data, and failures.
#include <gtest/gtest.h>

#include <string>

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

}  // namespace
}  // namespace lumerra
