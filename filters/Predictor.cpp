#include "filters/Predictor.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace lumerra {

namespace {

struct TRowShape {
    int32_t RowBytes;
    int32_t PixelBytes;  // the distance PNG's Sub, Average and Paeth look back, at least 1
};

std::optional<TRowShape> RowShape(const TPredictorParams& P) {
    if (P.Colors < 1 || P.Columns < 1) return std::nullopt;
    switch (P.BitsPerComponent) {
        case 1: case 2: case 4: case 8: case 16: break;
        default: return std::nullopt;
    }
    // Below 2^36, and the division keeps the row's bits below 2^27: nothing
    // here can overflow.
    const int64_t pixelBits = int64_t{P.Colors} * P.BitsPerComponent;
    if (P.Columns > MaxPredictorRow * 8 / pixelBits) return std::nullopt;
    return TRowShape{static_cast<int32_t>((pixelBits * P.Columns + 7) / 8), static_cast<int32_t>((pixelBits + 7) / 8)};
}

bool IsPNG(int32_t Predictor) { return Predictor >= 10 && Predictor <= 15; }

// Decodes Row (Available bytes of a row, in place); returns how many bytes
// of it are whole components.
int32_t UndoTIFFRow(uint8_t* Row, int32_t Available, const TPredictorParams& P) {
    const int32_t colors = P.Colors;
    switch (P.BitsPerComponent) {
        case 8:
            for (int32_t i = colors; i < Available; ++i) Row[i] = static_cast<uint8_t>(Row[i] + Row[i - colors]);
            return Available;
        case 16: {
            const int32_t whole = Available & ~1;
            for (int32_t i = 2 * colors; i < whole; i += 2) {
                const int value = (Row[i] << 8 | Row[i + 1]) + (Row[i - 2 * colors] << 8 | Row[i - 2 * colors + 1]);
                Row[i] = static_cast<uint8_t>(value >> 8);
                Row[i + 1] = static_cast<uint8_t>(value);
            }
            return whole;
        }
        default: {
            // 1, 2 or 4 bits: components never straddle a byte.
            const int bits = P.BitsPerComponent;
            const int mask = (1 << bits) - 1;
            const int64_t count = std::min<int64_t>(int64_t{colors} * P.Columns, int64_t{Available} * 8 / bits);
            auto get = [&](int64_t k) {
                const int64_t bit = k * bits;
                return Row[bit >> 3] >> (8 - bits - (bit & 7)) & mask;
            };
            for (int64_t k = colors; k < count; ++k) {
                const int64_t bit = k * bits;
                const int shift = static_cast<int>(8 - bits - (bit & 7));
                const int value = (get(k) + get(k - colors)) & mask;
                uint8_t& byte = Row[bit >> 3];
                byte = static_cast<uint8_t>((byte & ~(mask << shift)) | value << shift);
            }
            return Available;
        }
    }
}

TDecodeEnd UndoTIFF(const uint8_t* Data, int32_t Length, const TPredictorParams& P, int32_t RowBytes,
                    TCappedOutput& Out) {
    std::vector<uint8_t> row(static_cast<size_t>(std::min(RowBytes, Length)));
    for (int32_t start = 0; start < Length; start += RowBytes) {
        const int32_t available = std::min(RowBytes, Length - start);
        std::memcpy(row.data(), Data + start, static_cast<size_t>(available));
        if (!Out.Append(row.data(), UndoTIFFRow(row.data(), available, P))) return TDecodeEnd::Capped;
        if (available < RowBytes) return TDecodeEnd::Truncated;
    }
    return TDecodeEnd::Complete;
}

uint8_t Paeth(int Left, int Up, int UpLeft) {
    const int p = Left + Up - UpLeft;
    const int toLeft = std::abs(p - Left), toUp = std::abs(p - Up), toUpLeft = std::abs(p - UpLeft);
    if (toLeft <= toUp && toLeft <= toUpLeft) return static_cast<uint8_t>(Left);
    return static_cast<uint8_t>(toUp <= toUpLeft ? Up : UpLeft);
}

TDecodeEnd UndoPNG(const uint8_t* Data, int32_t Length, const TRowShape& Shape, TCappedOutput& Out) {
    enum : uint8_t { None, Sub, Up, Average, PaethType };
    const size_t bufferSize = static_cast<size_t>(std::min(Shape.RowBytes, Length));
    std::vector<uint8_t> row(bufferSize), prior(bufferSize, 0);  // above the first row: zeros
    int32_t i = 0;
    while (i < Length) {
        const uint8_t type = Data[i++];
        const int32_t n = std::min(Shape.RowBytes, Length - i);
        const int32_t lead = std::min(Shape.PixelBytes, n);  // bytes without a left neighbour
        const uint8_t* raw = Data + i;
        uint8_t* out = row.data();
        const uint8_t* up = prior.data();
        i += n;
        switch (type) {
            case None:
                std::memcpy(out, raw, static_cast<size_t>(n));
                break;
            case Sub:
                std::memcpy(out, raw, static_cast<size_t>(lead));
                for (int32_t k = lead; k < n; ++k) out[k] = static_cast<uint8_t>(raw[k] + out[k - Shape.PixelBytes]);
                break;
            case Up:
                for (int32_t k = 0; k < n; ++k) out[k] = static_cast<uint8_t>(raw[k] + up[k]);
                break;
            case Average:
                for (int32_t k = 0; k < lead; ++k) out[k] = static_cast<uint8_t>(raw[k] + up[k] / 2);
                for (int32_t k = lead; k < n; ++k)
                    out[k] = static_cast<uint8_t>(raw[k] + (out[k - Shape.PixelBytes] + up[k]) / 2);
                break;
            case PaethType:
                for (int32_t k = 0; k < lead; ++k) out[k] = static_cast<uint8_t>(raw[k] + up[k]);
                for (int32_t k = lead; k < n; ++k) {
                    const int32_t left = k - Shape.PixelBytes;
                    out[k] = static_cast<uint8_t>(raw[k] + Paeth(out[left], up[k], up[left]));
                }
                break;
            default:
                return TDecodeEnd::Invalid;
        }
        if (!Out.Append(out, n)) return TDecodeEnd::Capped;
        if (n < Shape.RowBytes) return TDecodeEnd::Truncated;
        std::swap(row, prior);
    }
    return TDecodeEnd::Complete;
}

}  // namespace

bool PredictorIsDecodable(const TPredictorParams& Params) {
    if (Params.Predictor == 1) return true;
    return (Params.Predictor == 2 || IsPNG(Params.Predictor)) && RowShape(Params).has_value();
}

TDecodeEnd DecodePredictor(const uint8_t* Data, int32_t Length, const TPredictorParams& Params, TStream& Output,
                           int32_t MaxOutput) {
    if (!PredictorIsDecodable(Params)) return TDecodeEnd::NotDecodable;
    Length = std::max(Length, 0);
    TCappedOutput out(Output, MaxOutput);
    if (Params.Predictor == 1) return out.Finish(out.Append(Data, Length) ? TDecodeEnd::Complete : TDecodeEnd::Capped);
    const TRowShape shape = *RowShape(Params);
    if (Params.Predictor == 2) return out.Finish(UndoTIFF(Data, Length, Params, shape.RowBytes, out));
    return out.Finish(UndoPNG(Data, Length, shape, out));
}

}  // namespace lumerra
