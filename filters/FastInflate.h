// Whole-buffer inflate with libdeflate, for the common case: one clean zlib
// stream. It is about twice as fast as zlib on content streams, but it cannot
// stream and has no rules for damaged data, so it only ever answers for data
// that zlib would inflate completely; everything else is left to zlib.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

struct libdeflate_decompressor;

namespace lumerra {

class TFastInflater {
public:
    TFastInflater();
    ~TFastInflater();
    TFastInflater(const TFastInflater&) = delete;
    TFastInflater& operator=(const TFastInflater&) = delete;

    // The most that one stream may inflate to on this path; larger ones go
    // to zlib, which streams them in chunks.
    static constexpr size_t OutputLimit = 16 * 1024 * 1024;
    // The buffer kept from one stream for the next; a larger one made for a
    // large stream is let go once its output is taken (the next call).
    static constexpr size_t RetainedCapacity = 1024 * 1024;

    // Inflates Data, which must be exactly one zlib stream: its end marker
    // reached, its checksum right, no byte after it, no preset dictionary,
    // at most OutputLimit bytes out. Returns false otherwise; the bytes are
    // then to be inflated by zlib. The result stays valid until the next call.
    // One inflater serves stream after stream: its decompressor and its
    // buffer are made once, and the buffer is kept up to RetainedCapacity.
    bool Inflate(const uint8_t* Data, size_t Size);
    const uint8_t* Output() const { return FBuffer.get(); }
    size_t OutputSize() const { return FOutputSize; }

private:
    libdeflate_decompressor* FDecompressor;
    std::unique_ptr<uint8_t[]> FBuffer;
    size_t FCapacity = 0;
    size_t FOutputSize = 0;
};

}  // namespace lumerra
