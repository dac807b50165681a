// The line that tells where the newest cross-reference section stands:
// "startxref", then its offset, near the end of the file and before each
// revision's "%%EOF".
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace lumerra {

struct TStartXref {
    int64_t Offset = 0;  // the offset written after the keyword (64 bits)
    size_t Keyword = 0;  // where "startxref" stands in the bytes searched
    size_t End = 0;      // just past the offset
};

// The last "startxref" of Bytes that stands as a keyword of its own and
// outside a comment, with the offset after it (white space and comments may
// come between). Nothing when there is no such keyword, or when the last one
// is not followed by a non-negative integer: an earlier one would name an
// older section.
std::optional<TStartXref> LastStartXref(std::span<const uint8_t> Bytes);

}  // namespace lumerra
