#include "filters/Predictor.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

namespace lumerra {

namespace {

struct TRowShape {
    int32_t RowBytes;
    int32_t PixelBytes;
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

uint8_t Paeth(int Left, int Up, int UpLeft) {
    const int p = Left + Up - UpLeft;
    const int toLeft = std::abs(p - Left), toUp = std::abs(p - Up), toUpLeft = std::abs(p - UpLeft);
    if (toLeft <= toUp && toLeft <= toUpLeft) return static_cast<uint8_t>(Left);
    return static_cast<uint8_t>(toUp <= toUpLeft ? Up : UpLeft);
}

// Undoes PNG filter Type on the N bytes of Row in place, Up being the row
// above; false for a type that is none of the five.
bool UndoPNGRow(uint8_t Type, uint8_t* Row, const uint8_t* Up, int32_t N, int32_t PixelBytes) {
    enum : uint8_t { None, Sub, UpType, Average, PaethType };
    const int32_t lead = std::min(PixelBytes, N);  // bytes without a left neighbour
    switch (Type) {
        case None:
            return true;
        case Sub:
            for (int32_t k = lead; k < N; ++k) Row[k] = static_cast<uint8_t>(Row[k] + Row[k - PixelBytes]);
            return true;
        case UpType:
            for (int32_t k = 0; k < N; ++k) Row[k] = static_cast<uint8_t>(Row[k] + Up[k]);
            return true;
        case Average:
            for (int32_t k = 0; k < lead; ++k) Row[k] = static_cast<uint8_t>(Row[k] + Up[k] / 2);
            for (int32_t k = lead; k < N; ++k) Row[k] = static_cast<uint8_t>(Row[k] + (Row[k - PixelBytes] + Up[k]) / 2);
            return true;
        case PaethType:
            for (int32_t k = 0; k < lead; ++k) Row[k] = static_cast<uint8_t>(Row[k] + Up[k]);
            for (int32_t k = lead; k < N; ++k) {
                const int32_t left = k - PixelBytes;
                Row[k] = static_cast<uint8_t>(Row[k] + Paeth(Row[left], Up[k], Up[left]));
            }
            return true;
        default:
            return false;
    }
}

}  // namespace

bool PredictorIsDecodable(const TPredictorParams& Params) {
    if (Params.Predictor == 1) return true;
    return (Params.Predictor == 2 || IsPNG(Params.Predictor)) && RowShape(Params).has_value();
}

TPredictorStage::TPredictorStage(TStageInput Input, const TPredictorParams& Params)
    : TFilterStage(std::move(Input)), FParams(Params) {
    const TRowShape shape = RowShape(Params).value_or(TRowShape{1, 1});
    FRowBytes = shape.RowBytes;
    FPixelBytes = shape.PixelBytes;
}

int32_t TPredictorStage::FillRow() {
    // The buffers grow as the data comes: an absurd /Columns over a few bytes
    // costs a few bytes.
    constexpr size_t FirstRoom = 4096;
    int32_t filled = 0;
    while (filled < FRowBytes) {
        const std::span<const uint8_t> at = Input().Peek();
        if (at.empty()) break;
        const int32_t n = static_cast<int32_t>(std::min<size_t>(at.size(), static_cast<size_t>(FRowBytes - filled)));
        if (FRow.size() < static_cast<size_t>(filled + n)) {
            const size_t room = std::min(static_cast<size_t>(FRowBytes),
                                         std::max({FirstRoom, 2 * FRow.size(), static_cast<size_t>(filled + n)}));
            FRow.resize(room);
            FPrior.resize(room, 0);
        }
        std::memcpy(FRow.data() + filled, at.data(), static_cast<size_t>(n));
        Input().Consume(static_cast<size_t>(n));
        filled += n;
    }
    return filled;
}

bool TPredictorStage::NextRow() {
    FGive = FGiven = 0;
    if (FParams.Predictor == 2) {
        const int32_t n = FillRow();
        if (n == 0) return false;
        FGive = UndoTIFFRow(FRow.data(), n, FParams);
        if (n < FRowBytes) Fail(TMessageCode::PredictorFailed, Input().Offset());
        return true;
    }
    std::swap(FRow, FPrior);
    uint8_t type;
    const int64_t typeAt = Input().Offset();
    if (!Input().Next(type)) return false;
    const int32_t n = FillRow();
    if (!UndoPNGRow(type, FRow.data(), FPrior.data(), n, FPixelBytes)) {
        Fail(TMessageCode::PredictorFailed, typeAt);
        return false;
    }
    FGive = n;
    if (n < FRowBytes) Fail(TMessageCode::PredictorFailed, Input().Offset());
    return true;
}

size_t TPredictorStage::Read(std::span<uint8_t> Out) {
    size_t done = 0;
    while (done < Out.size()) {
        if (FGiven < FGive) {
            const size_t n = std::min(Out.size() - done, static_cast<size_t>(FGive - FGiven));
            std::memcpy(Out.data() + done, FRow.data() + FGiven, n);
            FGiven += static_cast<int32_t>(n);
            done += n;
            continue;
        }
        if (Done()) break;
        if (!NextRow() && !Done()) Finish();
    }
    return done;
}

}  // namespace lumerra
