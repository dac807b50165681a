#include "filters/ZlibSource.h"

#include <algorithm>

namespace lumerra {

namespace {

constexpr const char* ZlibErrorMessage = "error";

}  // namespace

TDecompressionSource::TDecompressionSource(TStream& Source)
    : FStrm(Source),
      FStrmPos(Source.Position()),
      FBufferSize(static_cast<int32_t>(std::clamp<int64_t>(Source.Size(), 1, InputBufferSize))),
      FBuffer(std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(FBufferSize))) {
    FZRec.next_in = FBuffer.get();
    FZRec.avail_in = 0;
    if (inflateInit(&FZRec) < 0) throw EDecompressionError(ZlibErrorMessage);
}

TDecompressionSource::~TDecompressionSource() { inflateEnd(&FZRec); }

int32_t TDecompressionSource::Read(void* buffer, int32_t count) {
    if (FFailed) return -1;
    if (count <= 0 || FFinished) return 0;
    FZRec.next_out = static_cast<Bytef*>(buffer);
    FZRec.avail_out = static_cast<uInt>(count);
    // The source may be shared with other readers between two calls.
    if (FStrm.Position() != FStrmPos) FStrm.SetPosition(FStrmPos);
    try {
        int32_t calls = 0;
        while (FZRec.avail_out > 0) {
            if (FZRec.avail_in == 0) {
                const int32_t n = FStrm.Read(FBuffer.get(), FBufferSize);
                if (n <= 0) {
                    // The source ended: truncated data is no error, but zlib
                    // may still hold output of the input it has taken (the
                    // rest of a match that did not fit); let it go.
                    const int result = inflate(&FZRec, Z_NO_FLUSH);
                    if (result == Z_STREAM_END) FFinished = true;
                    if (result == Z_NEED_DICT || (result < 0 && result != Z_BUF_ERROR))
                        throw ECompressionError(ZlibErrorMessage);
                    break;
                }
                FZRec.next_in = FBuffer.get();
                FZRec.avail_in = static_cast<uInt>(n);
                FStrmPos = FStrm.Position();
            }
            const int result = inflate(&FZRec, Z_NO_FLUSH);
            // Whatever follows the end of the zlib data (a line end, padding)
            // is not ours to inflate.
            if (result == Z_STREAM_END) {
                FFinished = true;
                break;
            }
            // No dictionary is ever supplied, so asking for one is a failure.
            if (result < 0 || result == Z_NEED_DICT) throw ECompressionError(ZlibErrorMessage);
            if (++calls >= MaxInflateCalls) throw ECompressionError(ZlibErrorMessage);
        }
    } catch (const Exception&) {
        FFailed = true;
        const int32_t produced = count - static_cast<int32_t>(FZRec.avail_out);
        return produced > 0 ? produced : -1;
    }
    return count - static_cast<int32_t>(FZRec.avail_out);
}

}  // namespace lumerra
