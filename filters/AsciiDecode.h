// The text decoders: ASCII hexadecimal and ASCII base-85.
#pragma once

#include <cstdint>
#include <string>

#include "common/Stream.h"

namespace lumerra {

// Hexadecimal pairs of the first Length bytes, up to the first zero byte.
// Every byte that is not a digit is passed over (">" too); a digit followed
// by a non-digit is lost, and so is an odd final digit.
std::string DecodeASCIIHex(const uint8_t* Data, int32_t Length);
// The same into Output, whose previous content is replaced; its position is
// left at 0. Spares the copy of the returned text when Flate follows.
void DecodeASCIIHexToMemory(const uint8_t* Data, int32_t Length, TMemoryStream& Output);

// Base-85 groups of the first Length bytes, up to "~>", written to Output
// with one write. A "z" inside a group or a "~" not followed by ">" voids the
// whole data (nothing is written); a group left open without "~>" is dropped.
void DecodeASCII85(const uint8_t* Data, int32_t Length, TStream& Output);
// The same into Output, whose previous content is replaced; its position is
// left at 0 and it is empty when the data is void.
void DecodeASCII85ToMemory(const uint8_t* Data, int32_t Length, TMemoryStream& Output);

}  // namespace lumerra
