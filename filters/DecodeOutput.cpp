#include "filters/DecodeOutput.h"

#include <algorithm>
#include <cstring>

namespace lumerra {

namespace {

constexpr int32_t ChunkSize = 64 * 1024;

}  // namespace

int32_t OutputCap(TStream& Output, int32_t MaxOutput) {
    return static_cast<int32_t>(std::clamp<int64_t>(MaxOutput, 0, std::max<int64_t>(INT32_MAX - Output.Position(), 0)));
}

TCappedOutput::TCappedOutput(TStream& Output, int32_t MaxOutput)
    : FOutput(Output), FRoom(OutputCap(Output, MaxOutput)), FChunkSize(std::min(FRoom, ChunkSize)) {
    if (FChunkSize > 0) FChunk = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(FChunkSize));
}

template <class TFill>
bool TCappedOutput::Put(int32_t Count, TFill Fill) {
    if (Count <= 0) return true;
    const int32_t n = std::min(Count, FRoom);
    FRoom -= n;
    for (int32_t done = 0; done < n;) {
        if (FFill == FChunkSize) Flush();
        const int32_t piece = std::min(n - done, FChunkSize - FFill);
        Fill(FChunk.get() + FFill, done, piece);
        FFill += piece;
        done += piece;
    }
    return n == Count;
}

bool TCappedOutput::Append(const uint8_t* Bytes, int32_t Count) {
    return Put(Count, [Bytes](uint8_t* To, int32_t Done, int32_t Piece) {
        std::memcpy(To, Bytes + Done, static_cast<size_t>(Piece));
    });
}

bool TCappedOutput::Repeat(uint8_t Byte, int32_t Count) {
    return Put(Count, [Byte](uint8_t* To, int32_t, int32_t Piece) { std::memset(To, Byte, static_cast<size_t>(Piece)); });
}

TDecodeEnd TCappedOutput::Finish(TDecodeEnd End) {
    Flush();
    return End;
}

void TCappedOutput::Flush() {
    if (FFill > 0) FOutput.WriteBuffer(FChunk.get(), FFill);
    FFill = 0;
}

}  // namespace lumerra
