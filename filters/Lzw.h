// /LZWDecode (ISO 32000-1, 7.4.4): bytes in, bytes out.
#pragma once

#include <cstdint>

#include "common/Stream.h"
#include "filters/DecodeOutput.h"

namespace lumerra {

// Decodes the first Length bytes of Data and appends the bytes to Output, up
// to MaxOutput bytes (see OutputCap).
//
// Codes are 9 to 12 bits wide, most significant bit first; 256 clears the
// table and 257 ends the data. The width grows when the next free entry
// reaches 512, 1024 and 2048; EarlyChange (/EarlyChange 1, the default) makes
// that one entry sooner, false (/EarlyChange 0) waits for it. A full table
// keeps taking 12-bit codes, adding no entry, until a clear code comes.
//
// Ends: 257 gives Complete; input that runs out first gives Truncated (a final
// partial code is padding); a code past the next free entry gives Invalid,
// the bytes before it kept.
TDecodeEnd DecodeLZW(const uint8_t* Data, int32_t Length, TStream& Output, bool EarlyChange = true,
                     int32_t MaxOutput = MaxStreamOutput);

}  // namespace lumerra
