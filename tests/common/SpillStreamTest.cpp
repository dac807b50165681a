// The spill stream keeps small data in memory and moves large data to an
// unlinked temporary file without changing a byte.
#include <gtest/gtest.h>

#include <string>

#include "common/SpillStream.h"

using namespace lumerra;

namespace {

std::string ReadAll(TStream& S) {
    std::string bytes(static_cast<size_t>(S.Size()), '\0');
    S.SetPosition(0);
    S.ReadBuffer(bytes.data(), S.Size());
    return bytes;
}

}  // namespace

TEST(SpillStream, SmallDataStaysInMemoryAndLargeDataSpillsWithoutLoss) {
    const struct {
        int32_t Limit;
        int Pieces;
        bool Spills;
    } cases[] = {{16, 3, false}, {1000, 5000, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Pieces);
        TSpillStream stream(c.Limit);
        std::string expected;
        for (int i = 0; i < c.Pieces; ++i) {
            const std::string piece = std::to_string(i) + ",";
            stream.WriteBuffer(piece.data(), static_cast<int32_t>(piece.size()));
            expected += piece;
        }
        EXPECT_EQ(stream.Spilled(), c.Spills);
        EXPECT_EQ(stream.Position(), static_cast<int32_t>(expected.size()));
        EXPECT_EQ(ReadAll(stream), expected);

        // Copying out of a spilled stream goes through the generic path.
        TMemoryStream copy;
        stream.SetPosition(0);
        copy.CopyFrom(stream, stream.Size());
        EXPECT_EQ(ReadAll(copy), expected);

        stream.Clear();
        EXPECT_FALSE(stream.Spilled());
        EXPECT_EQ(stream.Size(), 0);
    }
}
