// Truncated zlib data: when the source ends, the bytes zlib has already
// decoded from the input it took must still come out, however small the
// reads are. (Found by fuzzing: reads of 3,473 bytes lost the last 889.)
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "filters/Flate.h"
#include "filters/ZlibSource.h"
#include "support/PdfBuilder.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

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

std::string ReadInPieces(const std::string& Data, int32_t Piece) {
    TMemoryStream source;
    source.WriteBuffer(Data.data(), static_cast<int32_t>(Data.size()));
    source.SetPosition(0);
    TDecompressionSource inflater(source);
    std::vector<char> buffer(static_cast<size_t>(Piece));
    std::string out;
    for (int32_t n; (n = inflater.Read(buffer.data(), Piece)) > 0;) out.append(buffer.data(), static_cast<size_t>(n));
    return out;
}

}  // namespace

TEST(DecompressionDrain, TruncatedDataFoundByFuzzingComesOutWhole) {
    const unsigned char found[] = {0x78, 0xda, 0xed, 0xc2, 0x01, 0x0d, 0x00, 0x00, 0x0c, 0x02, 0xa0, 0xac, 0x6a, 0xff,
                                   0x0e, 0x8f, 0xf0, 0x02, 0x30, 0xd2, 0x45, 0x55, 0x00, 0x0c, 0x02, 0xa0, 0xac, 0x6a,
                                   0xff, 0x55, 0x78, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    const std::string data(reinterpret_cast<const char*>(found), sizeof found);
    const std::string expected = InflateAll(data);
    ASSERT_EQ(expected.size(), 14781u);
    EXPECT_EQ(ReadInPieces(data, 3473), expected);
}

TEST(DecompressionDrain, TruncatedDataGivesTheSameBytesForEveryPieceSize) {
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "BT /F1 12 Tf " + std::to_string(i % 97) + " 0 Td (repeated words) Tj ET\n";
    const std::string whole = Deflate(text, 9);
    for (const size_t cut : {whole.size() / 3, whole.size() / 2, whole.size() - 5}) {
        const std::string truncated = whole.substr(0, cut);
        const std::string expected = InflateAll(truncated);
        for (const int32_t piece : {1, 100, 257, 4096, 65536}) {
            SCOPED_TRACE("cut " + std::to_string(cut) + ", pieces of " + std::to_string(piece));
            EXPECT_EQ(ReadInPieces(truncated, piece), expected);
        }
        TMemoryStream source, output;
        source.WriteBuffer(truncated.data(), static_cast<int32_t>(truncated.size()));
        source.SetPosition(0);
        DecodeFlate(source, output);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(output.Memory()), static_cast<size_t>(output.Size())),
                  expected);
    }
}
