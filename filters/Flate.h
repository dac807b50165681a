// Flate decoding: zlib data inflated into an output stream.
#pragma once

#include <cstdint>
#include <string_view>

#include "common/Stream.h"

namespace lumerra {

class TFastInflater;

// The message of a Flate stream that could not be inflated.
inline constexpr std::string_view FlateFailureMessage = "flate圧縮を正常に展開できませんでした。";

// Inflates Source from its current position to the end of its zlib data and
// appends the bytes to Output. Anything after the end of the zlib data is
// ignored; truncated data gives what could be inflated. Corrupt data, or data
// that asks for a preset dictionary, appends what was inflated before the
// fault and then raises Exception(FlateFailureMessage).
//
// A memory source holding one clean zlib stream is inflated at once by the
// fast path (TFastInflater); anything else by zlib, chunk by chunk. Both give
// the same bytes. Fast is the caller's inflater, kept from stream to stream
// on its thread; without one, one is made for this stream.
void DecodeFlate(TStream& Source, TStream& Output, TFastInflater* Fast = nullptr);
// The zlib path alone, chunk by chunk: what DecodeFlate does with data the
// fast path leaves to it.
void DecodeFlateWithZlib(TStream& Source, TStream& Output);

// The size of the chunks DecodeFlate inflates at once for a source of
// SourceSize bytes: three times that size, kept between 64 KiB and 256 KiB.
// The floor keeps tiny streams on zlib's fast path; the cap keeps the chunk
// in the processor's cache on its way to the output (larger chunks measured
// markedly slower) and bounds what a small stream that inflates hugely
// allocates at once.
int32_t FlateChunkSize(int64_t SourceSize);

}  // namespace lumerra
