// The predictors that /FlateDecode and /LZWDecode data may carry (ISO 32000-1,
// 7.4.4.4): TIFF predictor 2 and the PNG row filters. Bytes in, bytes out.
#pragma once

#include <cstdint>

#include "common/Stream.h"
#include "filters/DecodeOutput.h"

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

// Whether DecodePredictor takes Params: Predictor 1 (the other entries then
// do not matter), or Predictor 2 or 10 to 15 with Colors and Columns from 1,
// BitsPerComponent 1, 2, 4, 8 or 16 and rows of at most MaxPredictorRow bytes.
bool PredictorIsDecodable(const TPredictorParams& Params);

// Undoes the predictor on the first Length bytes of Data and appends the rows
// to Output, up to MaxOutput bytes (see OutputCap). A row holds
// Colors * BitsPerComponent * Columns bits, padded to whole bytes; 16-bit
// components are big-endian.
//
// TIFF (2): each component is the difference from the one Colors components
// before it in its row; the bits that pad a row are kept as they come.
// PNG (10 to 15 alike): each row follows its own filter type byte, 0 None,
// 1 Sub, 2 Up, 3 Average or 4 Paeth; any other type ends the data (Invalid)
// after the rows before it.
//
// A final partial row is kept decoded as far as it goes, its bytes under PNG
// and its whole components under TIFF, and gives Truncated. Parameters that
// PredictorIsDecodable refuses append nothing and give NotDecodable.
TDecodeEnd DecodePredictor(const uint8_t* Data, int32_t Length, const TPredictorParams& Params, TStream& Output,
                           int32_t MaxOutput = MaxStreamOutput);

}  // namespace lumerra
