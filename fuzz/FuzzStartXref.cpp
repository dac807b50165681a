// The startxref finder over any bytes: what it finds stands inside them, is
// the keyword on its own, comes after it, and is the last one: searching
// the bytes after the offset finds nothing further.
#include <cstdint>
#include <span>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "pdf/StartXref.h"

using namespace lumerra;
using namespace lumerra::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const std::span<const uint8_t> bytes(Data, Size);
    const auto found = LastStartXref(bytes);
    if (!found) return 0;
    const std::string_view text(reinterpret_cast<const char*>(Data), Size);
    Require(found->Keyword + 9 < found->End && found->End <= Size, "the offset follows the keyword inside the data");
    Require(text.substr(found->Keyword, 9) == "startxref", "the keyword is there");
    Require(found->Offset >= 0, "the offset is not negative");
    const auto later = LastStartXref(bytes.subspan(found->End));
    Require(!later, "no keyword after the last one");
    return 0;
}
