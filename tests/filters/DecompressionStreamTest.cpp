// TDecompressionStream: reading, the forward-only seek and its restart.
#include <gtest/gtest.h>

#include <string>

#include "filters/FilterFixtures.h"
#include "filters/ZlibStream.h"

namespace lumerra {
namespace {

using test::Deflate;
using test::Load;

std::string ReadAll(TDecompressionStream& Z, int32_t Piece = 1000) {
    std::string all;
    std::string buffer(static_cast<size_t>(Piece), '\0');
    for (;;) {
        const int32_t n = Z.Read(buffer.data(), Piece);
        if (n <= 0) return all;
        all.append(buffer.data(), static_cast<size_t>(n));
    }
}

class DecompressionStreamTest : public ::testing::Test {
protected:
    void SetUp() override { Load(Source, Deflate(Text)); }

    const std::string Text = test::ContentText(50000);
    TMemoryStream Source;
};

TEST_F(DecompressionStreamTest, PositionCountsInflatedBytes) {
    TDecompressionStream z(Source);
    char buffer[300];
    EXPECT_EQ(z.Position(), 0);
    ASSERT_EQ(z.Read(buffer, 300), 300);
    EXPECT_EQ(std::string(buffer, 300), Text.substr(0, 300));
    EXPECT_EQ(z.Position(), 300);
}

TEST_F(DecompressionStreamTest, ShortReadAtTheEndThenZero) {
    TDecompressionStream z(Source);
    std::string buffer(Text.size() + 100, '\0');
    EXPECT_EQ(z.Read(buffer.data(), static_cast<int32_t>(buffer.size())), static_cast<int32_t>(Text.size()));
    EXPECT_EQ(buffer.substr(0, Text.size()), Text);
    EXPECT_EQ(z.Read(buffer.data(), 10), 0);
}

TEST_F(DecompressionStreamTest, WriteIsAnInvalidOperation) {
    TDecompressionStream z(Source);
    try {
        z.Write("x", 1);
        FAIL() << "Write succeeded";
    } catch (const EDecompressionError& e) {
        EXPECT_EQ(e.Message(), "Invalid stream operation");
    }
}

TEST_F(DecompressionStreamTest, BackwardAndEndSeeksAreInvalidOperations) {
    TDecompressionStream z(Source);
    char buffer[100];
    z.ReadBuffer(buffer, 100);
    EXPECT_THROW(z.Seek(-1, TSeekOrigin::soCurrent), EDecompressionError);
    EXPECT_THROW(z.Seek(50, TSeekOrigin::soBeginning), EDecompressionError);
    EXPECT_THROW(z.Seek(0, TSeekOrigin::soEnd), EDecompressionError);
    EXPECT_THROW(z.Size(), EDecompressionError);
    try {
        z.Seek(-10, TSeekOrigin::soCurrent);
    } catch (const EZlibError& e) {
        EXPECT_EQ(e.Message(), "Invalid stream operation");
    }
    // A failed seek does not move the stream.
    EXPECT_EQ(z.Position(), 100);
}

TEST_F(DecompressionStreamTest, ForwardSeeksSkipInflatedBytes) {
    TDecompressionStream z(Source);
    EXPECT_EQ(z.Seek(10000, TSeekOrigin::soCurrent), 10000);
    EXPECT_EQ(z.Seek(12345, TSeekOrigin::soBeginning), 12345);
    char buffer[20];
    z.ReadBuffer(buffer, 20);
    EXPECT_EQ(std::string(buffer, 20), Text.substr(12345, 20));
}

TEST_F(DecompressionStreamTest, SkipPastTheEndIsAReadError) {
    TDecompressionStream z(Source);
    EXPECT_THROW(z.Seek(static_cast<int32_t>(Text.size()) + 1, TSeekOrigin::soCurrent), EReadError);
}

TEST_F(DecompressionStreamTest, RestartSeekInflatesFromTheFirstByteAgain) {
    TDecompressionStream z(Source);
    EXPECT_EQ(ReadAll(z), Text);
    EXPECT_EQ(z.Seek(0, TSeekOrigin::soBeginning), 0);
    EXPECT_EQ(Source.Position(), 0);
    EXPECT_EQ(ReadAll(z, 777), Text);
}

TEST_F(DecompressionStreamTest, RestartReturnsToWhereTheStreamWasMade) {
    Load(Source, "garbage before" + Deflate(Text), 14);
    TDecompressionStream z(Source);
    char buffer[10];
    z.ReadBuffer(buffer, 10);
    z.Seek(0, TSeekOrigin::soBeginning);
    EXPECT_EQ(ReadAll(z), Text);
}

TEST_F(DecompressionStreamTest, RestartRecoversFromAFailure) {
    const std::string corrupt = test::DeflateThenBadBlock(Text);
    Load(Source, corrupt);
    TDecompressionStream z(Source);
    EXPECT_EQ(ReadAll(z), Text);
    char c;
    EXPECT_EQ(z.Read(&c, 1), -1);
    z.Seek(0, TSeekOrigin::soBeginning);
    EXPECT_EQ(z.Read(&c, 1), 1);
    EXPECT_EQ(c, Text[0]);
}

TEST_F(DecompressionStreamTest, SourceMovedBetweenReadsIsRepositioned) {
    // Larger than one input buffer, so that the second read refills.
    const std::string random = test::RandomBytes(200000);
    Load(Source, Deflate(random));
    TDecompressionStream z(Source);
    std::string first(1000, '\0');
    z.ReadBuffer(first.data(), 1000);
    Source.SetPosition(3);  // another reader used the shared stream
    EXPECT_EQ(first + ReadAll(z, 65536), random);
}

TEST_F(DecompressionStreamTest, FailureReturnsTheBytesBeforeItThenMinusOne) {
    Load(Source, test::DeflateThenBadBlock(Text));
    TDecompressionStream z(Source);
    std::string buffer(Text.size() * 2, '\0');
    EXPECT_EQ(z.Read(buffer.data(), static_cast<int32_t>(buffer.size())), static_cast<int32_t>(Text.size()));
    EXPECT_EQ(buffer.substr(0, Text.size()), Text);
    EXPECT_EQ(z.Read(buffer.data(), 10), -1);
    EXPECT_EQ(z.Read(buffer.data(), 10), -1);
}

TEST_F(DecompressionStreamTest, FailureBeforeAnyByteIsMinusOne) {
    Load(Source, "not zlib data at all");
    TDecompressionStream z(Source);
    char buffer[10];
    EXPECT_EQ(z.Read(buffer, 10), -1);
}

TEST_F(DecompressionStreamTest, PresetDictionaryRequestFailsAtOnce) {
    Load(Source, test::DeflateWith(Text, 15, "BT ET Tf Td Tj"));
    TDecompressionStream z(Source);
    char buffer[10];
    EXPECT_EQ(z.Read(buffer, 10), -1);
}

}  // namespace
}  // namespace lumerra
