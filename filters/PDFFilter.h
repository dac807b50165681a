// The stream decoders: ASCII hexadecimal, ASCII base-85 and Flate.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/Stream.h"

namespace lumerra {

// The message of a Flate stream that could not be inflated.
inline constexpr std::string_view FlateFailureMessage = "flate圧縮を正常に展開できませんでした。";

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

// Inflates Source from its current position to the end of its zlib data and
// appends the bytes to Output, chunk by chunk. Anything after the end of the
// zlib data is ignored; truncated data gives what could be inflated. Corrupt
// data, or data that asks for a preset dictionary, appends what was inflated
// before the fault and then raises Exception(FlateFailureMessage).
void DecodeFlate(TStream& Source, TStream& Output);

// The size of the chunks DecodeFlate inflates at once for a source of
// SourceSize bytes: three times that size, kept between 64 KiB and 256 KiB.
// The floor keeps tiny streams on zlib's fast path; the cap keeps the chunk
// in the processor's cache on its way to the output (larger chunks measured
// markedly slower) and bounds what a small stream that inflates hugely
// allocates at once.
int32_t FlateChunkSize(int64_t SourceSize);

}  // namespace lumerra
