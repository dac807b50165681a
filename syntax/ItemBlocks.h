// The strings and numbers of a TJ array passed 64 bytes at a time: each
// kind of byte that matters is found for a whole block at once, so that a
// short string or number costs a few operations on bit masks instead of a
// loop over its bytes.
#pragma once

#include <cstdint>

namespace lumerra::syntax_detail {

// Passes over literal strings without nested parentheses or escapes,
// numbers and white space from At, while 64 bytes are left before End;
// returns where it stopped, on the first byte of an item it does not judge
// (any other token, a string with "(" or "\", an item longer than a block)
// or of white space. Without SSE2, At itself.
const uint8_t* PassItemsByBlocks(const uint8_t* At, const uint8_t* End);

}  // namespace lumerra::syntax_detail
