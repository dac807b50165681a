// What the LZW, RunLength and predictor decoders share: how their data ended
// and the capped, chunked output they append to.
#pragma once

#include <cstdint>
#include <memory>

#include "common/Stream.h"

namespace lumerra {

// How a decoder's data ended. Whatever the end, the bytes decoded before it
// stay in the output.
enum class TDecodeEnd {
    Complete,      // the end-of-data marker, or (predictors) the last whole row
    Truncated,     // the input ran out before the marker or inside a row
    Invalid,       // a code or row type that cannot be decoded ended the data
    Capped,        // more output than the cap allowed; the output holds the cap
    NotDecodable   // parameters this decoder does not take; nothing was written
};

// The default cap: all that the output can still hold (see OutputCap).
inline constexpr int32_t MaxStreamOutput = INT32_MAX;

// The most bytes a decoder appends to Output: MaxOutput (none when negative),
// and never so many that Output would pass 2 GiB - 1 bytes from its position.
int32_t OutputCap(TStream& Output, int32_t MaxOutput);

// Collects decoded bytes in one chunk and appends it to the output whenever
// it fills, refusing what passes the cap. The chunk is 64 KiB at most (less
// under a smaller cap), so a large cap allocates nothing more.
class TCappedOutput {
public:
    TCappedOutput(TStream& Output, int32_t MaxOutput);

    // Each appends what the cap leaves room for: false when some was refused.
    bool Append(const uint8_t* Bytes, int32_t Count);
    bool Repeat(uint8_t Byte, int32_t Count);

    // Writes out the chunk; returns End, for "return Out.Finish(end);".
    TDecodeEnd Finish(TDecodeEnd End);

private:
    // Takes what the cap leaves of Count bytes into the chunk, a piece at a
    // time: Fill(To, Done, Piece) puts bytes Done .. Done + Piece at To.
    template <class TFill>
    bool Put(int32_t Count, TFill Fill);
    void Flush();

    TStream& FOutput;
    int32_t FRoom;        // bytes the cap still allows, the chunk's included
    int32_t FChunkSize;
    int32_t FFill = 0;    // bytes of FChunk not yet written
    std::unique_ptr<uint8_t[]> FChunk;
};

}  // namespace lumerra
