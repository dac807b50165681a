#include "filters/FastInflate.h"

#include <libdeflate.h>

#include <algorithm>
#include <new>

namespace lumerra {

namespace {

// libdeflate needs room for the whole output before it starts. Content
// streams inflate to about three to five times their size: the first guess
// fits most, and each retry takes four times the room, so a stream costs at
// most a few attempts before it fits or reaches the limit.
constexpr size_t GuessFactor = 4;
constexpr size_t GrowthFactor = 4;
constexpr size_t SmallestGuess = 16 * 1024;

}  // namespace

TFastInflater::TFastInflater() : FDecompressor(libdeflate_alloc_decompressor()) {
    if (FDecompressor == nullptr) throw std::bad_alloc();
}

TFastInflater::~TFastInflater() { libdeflate_free_decompressor(FDecompressor); }

bool TFastInflater::Inflate(const uint8_t* Data, size_t Size) {
    FOutputSize = 0;
    if (FCapacity > RetainedCapacity) {
        FBuffer.reset();
        FCapacity = 0;
    }
    // A zlib header with FDICT set asks for a preset dictionary.
    if (Size < 2 || (Data[1] & 0x20) != 0) return false;
    // The room a buffer kept from an earlier stream has is free to use.
    size_t room = std::max(std::clamp(Size * GuessFactor, SmallestGuess, OutputLimit), FCapacity);
    for (;;) {
        if (FCapacity < room) {
            FBuffer = std::make_unique_for_overwrite<uint8_t[]>(room);
            FCapacity = room;
        }
        size_t consumed = 0;
        size_t produced = 0;
        const libdeflate_result result =
            libdeflate_zlib_decompress_ex(FDecompressor, Data, Size, FBuffer.get(), room, &consumed, &produced);
        if (result == LIBDEFLATE_SUCCESS) {
            // Bytes after the end marker are zlib's to ignore.
            if (consumed != Size) return false;
            FOutputSize = produced;
            return true;
        }
        if (result != LIBDEFLATE_INSUFFICIENT_SPACE || room >= OutputLimit) return false;
        room = std::min(room * GrowthFactor, OutputLimit);
    }
}

}  // namespace lumerra
