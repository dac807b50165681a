// /RunLengthDecode (ISO 32000-1, 7.4.5): bytes in, bytes out.
#pragma once

#include <cstdint>

#include "common/Stream.h"
#include "filters/DecodeOutput.h"

namespace lumerra {

// Decodes the first Length bytes of Data and appends the bytes to Output, up
// to MaxOutput bytes (see OutputCap). A length byte n of 0 to 127 is followed
// by n + 1 bytes to copy, one of 129 to 255 by one byte to repeat 257 - n
// times; 128 ends the data (Complete). Input that runs out first gives
// Truncated, keeping every byte it holds, a partial copy run's included.
TDecodeEnd DecodeRunLength(const uint8_t* Data, int32_t Length, TStream& Output,
                           int32_t MaxOutput = MaxStreamOutput);

}  // namespace lumerra
