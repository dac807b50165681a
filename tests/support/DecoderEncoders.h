// Encoders for the LZW and predictor decoder tests, written from the
// encoder's side of ISO 32000 and PNG, so that a decoder that keeps the
// other side wrong shows it.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace lumerra::test {

struct TLZWEncoding {
    bool EarlyChange = true;
    bool ClearFirst = true;     // a clear code before the first, as most writers do
    bool ClearWhenFull = true;  // false keeps 12-bit codes, adding no entry
    int ClearEvery = 0;         // a clear code after every so many codes as well; 0 never
    bool EndMarker = true;
};

std::string EncodeLZW(const std::string& Data, const TLZWEncoding& Options = {});

// Codes of the given widths packed most significant bit first; the last byte
// is padded with zero bits.
std::string PackCodes(const std::vector<std::pair<int, int>>& CodesAndWidths);

// PNG rows of RowBytes bytes (the last one may be shorter), row r filtered
// with Types[r % Types.size()] and preceded by its type byte.
std::string EncodePNG(const std::string& Data, int RowBytes, int PixelBytes, const std::vector<uint8_t>& Types);

// TIFF predictor 2 over rows of Colors * Columns components (the last row
// may be shorter); the bits that pad a row are copied.
std::string EncodeTIFF(const std::string& Data, int Colors, int BitsPerComponent, int Columns);

}  // namespace lumerra::test
