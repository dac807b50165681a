// A string's bytes as the span the readers take.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace lumerra::test {

inline std::span<const uint8_t> BytesOf(const std::string& Text) {
    return {reinterpret_cast<const uint8_t*>(Text.data()), Text.size()};
}

}  // namespace lumerra::test
