// The predictors that /FlateDecode and /LZWDecode data may carry (ISO 32000-1,
// 7.4.4.4), TIFF predictor 2 and the PNG row filters, as a stage that
// follows its decoder in the chain.
#pragma once

#include <cstdint>
#include <vector>

#include "filters/FilterStage.h"

namespace lumerra {

// The /DecodeParms entries, with their defaults.
struct TPredictorParams {
    int32_t Predictor = 1;         // 1 none, 2 TIFF, 10 to 15 PNG
    int32_t Colors = 1;
    int32_t BitsPerComponent = 8;
    int32_t Columns = 1;
};

// The longest row taken. Real rows are far shorter; the bound keeps the row
// arithmetic small and refuses absurd /Columns before anything is allocated.
inline constexpr int64_t MaxPredictorRow = 16 * 1024 * 1024;

// Whether the stage takes Params: Predictor 1 (the other entries then do not
// matter), or Predictor 2 or 10 to 15 with Colors and Columns from 1,
// BitsPerComponent 1, 2, 4, 8 or 16 and rows of at most MaxPredictorRow bytes.
bool PredictorIsDecodable(const TPredictorParams& Params);

// Undoes a predictor that PredictorIsDecodable takes, other than 1. A row
// holds Colors * BitsPerComponent * Columns bits, padded to whole bytes;
// 16-bit components are big-endian.
//
// TIFF (2): each component is the difference from the one Colors components
// before it in its row; the bits that pad a row are kept as they come.
// PNG (10 to 15 alike): each row follows its own filter type byte, 0 None,
// 1 Sub, 2 Up, 3 Average or 4 Paeth.
//
// Damage (PredictorFailed): any other PNG type, at its byte, after the rows
// before it; a final partial row, at the end of the input, after the row
// decoded as far as it goes (its bytes under PNG, its whole components under
// TIFF). The row buffers grow with the data, never past one row each.
class TPredictorStage final : public TFilterStage {
public:
    TPredictorStage(TStageInput Input, const TPredictorParams& Params);
    size_t Read(std::span<uint8_t> Out) override;

private:
    // Reads and undoes the next row into FRow; false at the end of the data.
    bool NextRow();
    // Fills FRow with up to FRowBytes bytes; returns how many came.
    int32_t FillRow();

    TPredictorParams FParams;
    int32_t FRowBytes;
    int32_t FPixelBytes;  // the distance PNG's Sub, Average and Paeth look back, at least 1
    std::vector<uint8_t> FRow, FPrior;  // the row above the first: zeros
    int32_t FGive = 0;   // bytes of FRow to give
    int32_t FGiven = 0;
};

}  // namespace lumerra
