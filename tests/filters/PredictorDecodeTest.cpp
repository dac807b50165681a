// The predictor stage (after Flate): the PNG row types, TIFF predictor 2 at
// every width, final partial rows and the parameters refused.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "support/ChainFixtures.h"
#include "support/DecoderEncoders.h"

namespace lumerra {
namespace {

using TDecoded = test::TChainResult;

// Data deflated, so that the predictor follows Flate as in a file.
TDecoded Predicted(const std::string& Data, const TPredictorParams& Params) {
    return test::DecodeChain(test::Deflate(Data), {test::Predicted("/FlateDecode", Params)});
}

// The predictor's damage at Offset of the inflated data.
std::vector<TFilterDiagnostic> At(int64_t Offset) {
    return {test::Damaged(TMessageCode::PredictorFailed, 0, "/FlateDecode", Offset)};
}

std::string Bytes(std::initializer_list<int> Values) {
    std::string bytes;
    for (const int v : Values) bytes += static_cast<char>(v);
    return bytes;
}

TEST(DecodePredictor, EachPNGRowTypeUndoesItsFilter) {
    // Above the filtered row: 0 10 0 40 38. Paeth picks left at 1, up-left
    // at 2, up at 3, and up over an up-left as near at 4.
    struct TCase {
        int Type;
        std::string Row;
    };
    const std::vector<TCase> cases = {
        {0, Bytes({20, 0, 5, 1, 2})},     {1, Bytes({20, 20, 25, 26, 28})}, {2, Bytes({20, 10, 5, 41, 40})},
        {3, Bytes({20, 15, 12, 27, 34})}, {4, Bytes({20, 20, 15, 41, 40})},
    };
    const std::string above = Bytes({0, 0, 10, 0, 40, 38});
    for (const TCase& c : cases) {
        const TDecoded d = Predicted(above + Bytes({c.Type, 20, 0, 5, 1, 2}), {.Predictor = 10, .Columns = 5});
        EXPECT_EQ(d.Bytes, Bytes({0, 10, 0, 40, 38}) + c.Row) << "type " << c.Type;
        EXPECT_TRUE(d.Damage.empty());
    }
}

TEST(DecodePredictor, PNGRowsRoundTripAtEveryWidth) {
    struct TCase {
        int Colors, Bits, Columns;
    };
    const std::string data = test::RandomBytes(12 * 37, 11);
    for (const TCase& c : {TCase{1, 8, 37}, TCase{3, 8, 37}, TCase{3, 16, 37}, TCase{1, 1, 296}, TCase{2, 4, 37},
                           TCase{1, 2, 148}}) {
        const int rowBytes = (c.Colors * c.Bits * c.Columns + 7) / 8;
        const int pixelBytes = (c.Colors * c.Bits + 7) / 8;
        for (const std::vector<uint8_t>& types : {std::vector<uint8_t>{0}, {1}, {2}, {3}, {4}, {4, 0, 3, 1, 2}}) {
            for (const int predictor : {10, 15}) {
                const TDecoded d = Predicted(test::EncodePNG(data, rowBytes, pixelBytes, types),
                                             {predictor, c.Colors, c.Bits, c.Columns});
                EXPECT_TRUE(d.Bytes == data) << c.Colors << "x" << c.Bits << " type " << int(types[0]);
                EXPECT_EQ(d.Damage.empty(), data.size() % rowBytes == 0);
            }
        }
    }
}

TEST(DecodePredictor, TIFFRoundTripsAtEveryWidth) {
    const std::string data = test::RandomBytes(4 * 75, 12);
    for (const int bits : {1, 2, 4, 8, 16}) {
        for (const int colors : {1, 3}) {
            const int columns = 25 * 8 / bits;  // 75 bytes a row with 3 colours
            const TDecoded d = Predicted(test::EncodeTIFF(data, colors, bits, columns), {2, colors, bits, columns});
            EXPECT_TRUE(d.Bytes == data) << colors << "x" << bits;
        }
    }
}

TEST(DecodePredictor, KnownRowsAndWhereTheDataEnds) {
    struct TCase {
        const char* Name;
        std::string Data;
        TPredictorParams Params;
        std::string Bytes;
        int64_t DamageAt;  // -1: none
    };
    const int64_t end = -2;  // damage at the end of the data
    const std::vector<TCase> cases = {
        {"TIFF 8-bit", Bytes({1, 1, 1, 255}), {2, 1, 8, 4}, Bytes({1, 2, 3, 2}), -1},
        {"TIFF two colours, row by row", Bytes({1, 2, 3, 4, 9, 9, 0, 0}), {2, 2, 8, 2}, Bytes({1, 2, 4, 6, 9, 9, 9, 9}), -1},
        {"TIFF 16-bit carry", Bytes({0x00, 0xFF, 0x00, 0x01}), {2, 1, 16, 2}, Bytes({0x00, 0xFF, 0x01, 0x00}), -1},
        {"TIFF 1-bit, padding kept", Bytes({0xA7}), {2, 1, 1, 5}, Bytes({0xC7}), -1},  // 10100 -> 11000, 111 kept
        {"TIFF 4-bit", Bytes({0x1F, 0x20, 0x12, 0x3F}), {2, 1, 4, 3}, Bytes({0x10, 0x20, 0x13, 0x6F}), -1},
        {"no predictor copies whatever the other entries", "any bytes", {1, 0, 3, 0}, "any bytes", -1},
        // A final partial row is kept as far as it goes.
        {"PNG bytes", Bytes({0, 1, 2, 3, 2, 1, 1}), {12, 1, 8, 3}, Bytes({1, 2, 3, 2, 3}), end},
        {"PNG type byte alone", Bytes({0, 1, 2, 3, 2}), {12, 1, 8, 3}, Bytes({1, 2, 3}), end},
        {"TIFF components", Bytes({1, 1, 1, 1, 1}), {2, 1, 8, 3}, Bytes({1, 2, 3, 1, 2}), end},
        {"TIFF 16-bit odd byte", Bytes({0, 1, 0, 1, 0, 1, 0}), {2, 1, 16, 2}, Bytes({0, 1, 0, 2, 0, 1}), end},
        // An unknown PNG row type ends the data at its byte.
        {"unknown PNG row type", Bytes({0, 1, 2, 5, 3, 4, 0, 5, 6}), {10, 1, 8, 2}, Bytes({1, 2}), 3},
    };
    for (const TCase& c : cases) {
        const TDecoded d = Predicted(c.Data, c.Params);
        EXPECT_EQ(d.Bytes, c.Bytes) << c.Name;
        const int64_t at = c.DamageAt == end ? static_cast<int64_t>(c.Data.size()) : c.DamageAt;
        EXPECT_EQ(d.Damage, at < 0 ? std::vector<TFilterDiagnostic>{} : At(at)) << c.Name;
    }
}

TEST(DecodePredictor, ParametersRefusedBeforeAnythingIsDone) {
    const int32_t widest16 = static_cast<int32_t>(MaxPredictorRow / 2);
    const std::vector<TPredictorParams> refused = {
        {7, 1, 8, 1},  {0, 1, 8, 1},   {3, 1, 8, 1},  {16, 1, 8, 1},   {-1, 1, 8, 1},  // predictors
        {2, 1, 3, 1},  {10, 1, 0, 1},  {10, 1, 32, 1}, {2, 1, -8, 1},                  // widths
        {10, 0, 8, 1}, {2, -3, 8, 1},  {10, 1, 8, 0},  {2, 1, 8, -1},                  // counts
        {12, 1, 8, 2000000000}, {2, 1, 16, widest16 + 1},                              // absurd rows
        {12, INT32_MAX, 16, INT32_MAX}, {2, 1 << 20, 16, 1 << 20}, {11, INT32_MAX, 1, 1},  // overflowing
    };
    for (const TPredictorParams& p : refused) {
        EXPECT_FALSE(PredictorIsDecodable(p))
            << p.Predictor << " " << p.Colors << " " << p.BitsPerComponent << " " << p.Columns;
        EXPECT_FALSE(ExtendedFiltersDecodable({test::Predicted("/LZWDecode", p)}));
        const TDecoded d = Predicted("some data", p);
        EXPECT_EQ(d.Bytes, "");
        EXPECT_TRUE(d.Damage.empty());
    }
    // The widest row taken costs no more than the data it comes from.
    EXPECT_TRUE(PredictorIsDecodable({2, 1, 16, widest16}));
    EXPECT_EQ(Predicted(Bytes({0, 1, 0, 1}), {2, 1, 16, widest16}).Bytes, Bytes({0, 1, 0, 2}));
    const auto widest8 = static_cast<int32_t>(MaxPredictorRow);
    EXPECT_EQ(Predicted(Bytes({2, 1, 0, 1}), {15, 1, 8, widest8}).Bytes, Bytes({1, 0, 1}));
}

}  // namespace
}  // namespace lumerra
