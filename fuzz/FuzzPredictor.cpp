// Predictors: the predictor stage, after a Flate stage that stores the data,
// against a model that works on the output
// itself, component by component (TIFF) or byte by byte (PNG), under a cap
// taken from the input. Parameters come from the input too, refused ones and
// absurd rows among them.
//
// Input: four bytes choosing Predictor, Colors, BitsPerComponent and Columns,
// a cap byte (0: the default cap), then the data.
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <zlib.h>

#include "fuzz/FuzzDecoders.h"

using namespace lumerra;
using namespace lumerra::fuzz;

namespace {

TPredictorParams Choose(uint8_t P, uint8_t C, uint8_t B, uint8_t W) {
    static constexpr int32_t Predictors[16] = {1, 2, 2, 2, 10, 11, 12, 13, 14, 15, 10, 12, 0, 3, 7, 16};
    static constexpr int32_t Widths[12] = {1, 2, 4, 8, 16, 8, 16, 1, 3, 0, 32, -8};
    constexpr auto Row = static_cast<int32_t>(MaxPredictorRow);
    static constexpr int32_t Large[8] = {1 << 20, INT32_MAX, -1, 2000000000, Row, Row / 2, Row / 2 + 1, Row + 1};
    TPredictorParams p;
    p.Predictor = Predictors[P % 16];
    p.Colors = C >= 248 ? Large[C - 248] : C % 6;
    p.BitsPerComponent = Widths[B % 12];
    p.Columns = W >= 248 ? Large[W - 248] : W % 40;
    return p;
}

bool Decodable(const TPredictorParams& P) {
    if (P.Predictor == 1) return true;
    if (P.Predictor != 2 && (P.Predictor < 10 || P.Predictor > 15)) return false;
    const int b = P.BitsPerComponent;
    if (P.Colors < 1 || P.Columns < 1 || (b != 1 && b != 2 && b != 4 && b != 8 && b != 16)) return false;
    const __int128 rowBits = static_cast<__int128>(P.Colors) * b * P.Columns;
    return rowBits <= MaxPredictorRow * 8;
}

struct TModel {
    std::vector<uint8_t> Bytes;
    TDecodeEnd End = TDecodeEnd::Complete;
};

int Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

TModel PNG(const uint8_t* Data, size_t Size, size_t RowBytes, size_t PixelBytes) {
    TModel m;
    size_t i = 0;
    for (size_t row = 0; i < Size; ++row) {
        const int type = Data[i++];
        if (type > 4) {
            m.End = TDecodeEnd::Invalid;
            return m;
        }
        const size_t start = m.Bytes.size();
        for (size_t k = 0; k < RowBytes && i < Size; ++k) {
            const int a = k >= PixelBytes ? m.Bytes[start + k - PixelBytes] : 0;
            const int b = row > 0 ? m.Bytes[start - RowBytes + k] : 0;
            const int c = row > 0 && k >= PixelBytes ? m.Bytes[start - RowBytes + k - PixelBytes] : 0;
            const int predicted[5] = {0, a, b, (a + b) / 2, Paeth(a, b, c)};
            m.Bytes.push_back(static_cast<uint8_t>(Data[i++] + predicted[type]));
        }
        if (m.Bytes.size() - start < RowBytes) m.End = TDecodeEnd::Truncated;
    }
    return m;
}

TModel TIFF(const uint8_t* Data, size_t Size, const TPredictorParams& P, size_t RowBytes) {
    const size_t bits = static_cast<size_t>(P.BitsPerComponent);
    const size_t perRow = static_cast<size_t>(P.Colors) * static_cast<size_t>(P.Columns);
    const size_t colors = static_cast<size_t>(P.Colors);
    TModel m;
    for (size_t start = 0; start < Size; start += RowBytes) {
        std::vector<uint8_t> row(Data + start, Data + std::min(Size, start + RowBytes));
        auto get = [&](size_t k) {
            unsigned v = 0;
            for (size_t bit = k * bits; bit < (k + 1) * bits; ++bit) v = v << 1 | (row[bit / 8] >> (7 - bit % 8) & 1);
            return v;
        };
        auto set = [&](size_t k, unsigned v) {
            for (size_t bit = (k + 1) * bits; bit-- > k * bits; v >>= 1) {
                const uint8_t flag = static_cast<uint8_t>(0x80 >> bit % 8);
                row[bit / 8] = static_cast<uint8_t>(v & 1 ? row[bit / 8] | flag : row[bit / 8] & ~flag);
            }
        };
        const size_t count = std::min(perRow, row.size() * 8 / bits);
        for (size_t k = colors; k < count; ++k) set(k, get(k) + get(k - colors));
        if (row.size() < RowBytes) {
            row.resize((count * bits + 7) / 8);  // whole components only
            m.End = TDecodeEnd::Truncated;
        }
        m.Bytes.insert(m.Bytes.end(), row.begin(), row.end());
    }
    return m;
}

TModel Model(const uint8_t* Data, size_t Size, const TPredictorParams& P) {
    if (!Decodable(P)) return {{}, TDecodeEnd::NotDecodable};
    if (P.Predictor == 1) return {{Data, Data + Size}, TDecodeEnd::Complete};
    const size_t pixelBits = static_cast<size_t>(P.Colors) * static_cast<size_t>(P.BitsPerComponent);
    const size_t rowBytes = (pixelBits * static_cast<size_t>(P.Columns) + 7) / 8;
    if (P.Predictor == 2) return TIFF(Data, Size, P, rowBytes);
    return PNG(Data, Size, rowBytes, (pixelBits + 7) / 8);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    uint8_t choice[4];
    for (uint8_t& c : choice) c = TakeByte(Data, Size);
    const TPredictorParams params = Choose(choice[0], choice[1], choice[2], choice[3]);
    const uint8_t capByte = TakeByte(Data, Size);
    const int32_t cap = capByte == 0 ? MaxStreamOutput : capByte * 3;

    const TModel model = Model(Data, Size, params);
    const std::string_view expected(reinterpret_cast<const char*>(model.Bytes.data()), model.Bytes.size());
    Require(PredictorIsDecodable(params) == (model.End != TDecodeEnd::NotDecodable), "the same parameters are taken");
    // Stored, not compressed: the rows reach the predictor as they are.
    uLongf storedSize = compressBound(static_cast<uLong>(Size));
    std::vector<uint8_t> stored(storedSize);
    if (compress2(stored.data(), &storedSize, Data, static_cast<uLong>(Size), 0) != Z_OK) return 0;
    const std::vector<TFilterStep> steps = {{"/FlateDecode", {.Predictor = params}}};
    Require(ExtendedFiltersDecodable(steps) == (model.End != TDecodeEnd::NotDecodable), "the chain takes them too");
    RequireModelOutput(stored.data(), storedSize, steps, cap, expected, model.End);
    return 0;
}
