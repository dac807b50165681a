// A read-only source of decoded bytes: a decoder that produces its output on
// demand offers it through this, and nothing more. It cannot be written,
// positioned or asked for its size, since a decoder knows none of that until
// its data ends.
#pragma once

#include <cstdint>

namespace lumerra {

class TByteSource {
public:
    TByteSource() = default;
    TByteSource(const TByteSource&) = delete;
    TByteSource& operator=(const TByteSource&) = delete;
    virtual ~TByteSource() = default;

    // Fills up to count bytes of buffer; returns how many came, 0 at the end
    // of the data, and -1 once decoding has failed.
    virtual int32_t Read(void* buffer, int32_t count) = 0;
};

}  // namespace lumerra
