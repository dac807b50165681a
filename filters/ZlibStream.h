// A read-only byte stream that inflates zlib data read from another stream.
//
// Only the inflate side of zlib is used: nothing is ever compressed.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <memory>

#include "common/Exceptions.h"
#include "common/Stream.h"

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

// The source stream, where reading from it continues, zlib's state and the
// buffer of compressed bytes read from the source.
class TCustomZlibStream : public TStream {
protected:
    explicit TCustomZlibStream(TStream& Source);

    // Marks the input buffer empty.
    void ClearInput();

    static constexpr int32_t InputBufferSize = 0x10000;

    TStream& FStrm;         // not owned
    int32_t FStrmPos = 0;   // where the next read from FStrm continues
    z_stream FZRec{};
    // Compressed bytes are read in blocks of InputBufferSize; a smaller
    // source gets a buffer of its own size, since a run inflates thousands
    // of small streams and large short-lived blocks only churn the heap.
    int32_t FBufferSize;
    std::unique_ptr<uint8_t[]> FBuffer;
};

// Inflates what it reads from the source. Its position is the number of
// bytes inflated so far; it can only move forward, or restart at the start.
class TDecompressionStream final : public TCustomZlibStream {
public:
    // Raises EDecompressionError "error" when inflate cannot be initialised.
    explicit TDecompressionStream(TStream& Source);
    ~TDecompressionStream() override;

    // Fills up to count bytes; returns how many came, 0 at the end of the
    // data, and -1 once inflating has failed. A failing call still returns
    // the bytes it inflated before the failure; the next call returns -1.
    int32_t Read(void* buffer, int32_t count) override;
    // Always raises EDecompressionError "Invalid stream operation".
    int32_t Write(const void* buffer, int32_t count) override;
    // Offset 0 from the beginning restarts inflating at the source position
    // the stream was made at; forward requests skip by reading; anything
    // else raises EDecompressionError "Invalid stream operation".
    int32_t Seek(int32_t offset, TSeekOrigin origin) override;

    // Inflate calls one Read may make before it gives up on input that
    // makes no progress.
    static constexpr int32_t MaxInflateCalls = 1000000;

private:
    void Restart();
    void Skip(int64_t count);
    int32_t TotalOut() const;

    int32_t FStartPos = 0;   // the source position at construction
    bool FFinished = false;  // inflate reported the end of the zlib data
    bool FFailed = false;    // inflating failed; every later Read gives -1
};

}  // namespace lumerra
