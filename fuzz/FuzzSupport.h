// Helpers shared by the fuzz targets.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "common/Stream.h"

namespace lumerra::fuzz {

// A memory stream holding Data, positioned at 0.
inline std::unique_ptr<TMemoryStream> MemoryOf(const uint8_t* Data, size_t Size) {
    auto stream = std::make_unique<TMemoryStream>();
    stream->WriteBuffer(Data, static_cast<int32_t>(Size));
    stream->SetPosition(0);
    return stream;
}

inline std::string_view Bytes(TMemoryStream& S) {
    return {reinterpret_cast<const char*>(S.Memory()), static_cast<size_t>(S.Size())};
}

// A broken property is a finding: report it and abort, so that libFuzzer
// keeps the input as a crash.
[[noreturn]] inline void Violation(const char* What) {
    std::fprintf(stderr, "fuzz property violated: %s\n", What);
    std::abort();
}

inline void Require(bool Condition, const char* What) {
    if (!Condition) Violation(What);
}

// Consumes the first byte of the input as a selector (0 when empty).
inline uint8_t TakeByte(const uint8_t*& Data, size_t& Size) {
    if (Size == 0) return 0;
    const uint8_t b = *Data;
    ++Data;
    --Size;
    return b;
}

}  // namespace lumerra::fuzz
