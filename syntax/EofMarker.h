// The "%%EOF" marker that ends each revision of a file, and the bytes after
// it that still belong to it: CR LF, or one CR, LF, space or tab. Triage
// counts the bytes after the last marker by this rule, as pdfid does, and
// the revisions end by it, so that both give one number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace lumerra {

inline constexpr std::string_view EofMarker = "%%EOF";

inline constexpr bool EndsEofMarker(uint8_t C) { return C == '\r' || C == '\n' || C == ' ' || C == '\t'; }

// How many of the bytes right after a marker (After) belong to it.
inline constexpr size_t EofMarkerTail(std::span<const uint8_t> After) {
    if (After.empty() || !EndsEofMarker(After[0])) return 0;
    return After[0] == '\r' && After.size() > 1 && After[1] == '\n' ? 2 : 1;
}

}  // namespace lumerra
