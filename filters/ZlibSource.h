// A read-only source that inflates zlib data read from a stream.
//
// Only the inflate side of zlib is used: nothing is ever compressed.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <memory>

#include "common/Exceptions.h"
#include "common/Stream.h"
#include "filters/ByteSource.h"

namespace lumerra {

class EZlibError : public Exception {
public:
    using Exception::Exception;
};

class ECompressionError : public EZlibError {
public:
    using EZlibError::EZlibError;
};

class EDecompressionError : public EZlibError {
public:
    using EZlibError::EZlibError;
};

// Inflates what it reads from the source, from the source's position at
// construction on.
class TDecompressionSource final : public TByteSource {
public:
    // Raises EDecompressionError "error" when inflate cannot be initialised.
    explicit TDecompressionSource(TStream& Source);
    ~TDecompressionSource() override;

    // Fills up to count bytes; returns how many came, 0 at the end of the
    // data, and -1 once inflating has failed. A failing call still returns
    // the bytes it inflated before the failure; the next call returns -1.
    int32_t Read(void* buffer, int32_t count) override;

    // Inflate calls one Read may make before it gives up on input that
    // makes no progress.
    static constexpr int32_t MaxInflateCalls = 1000000;

private:
    static constexpr int32_t InputBufferSize = 0x10000;

    TStream& FStrm;         // not owned
    int32_t FStrmPos = 0;   // where the next read from FStrm continues
    z_stream FZRec{};
    // Compressed bytes are read in blocks of InputBufferSize; a smaller
    // source gets a buffer of its own size, since a run inflates thousands
    // of small streams and large short-lived blocks only churn the heap.
    int32_t FBufferSize;
    std::unique_ptr<uint8_t[]> FBuffer;
    bool FFinished = false;  // inflate reported the end of the zlib data
    bool FFailed = false;    // inflating failed; every later Read gives -1
};

}  // namespace lumerra
