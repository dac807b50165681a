// Where a file's "%PDF-" header stands and what version it names, as
// extended reading looks for it: anywhere in the first 1,024 bytes, with or
// without a version it can read; and the offset its last "startxref" names.
#pragma once

#include <cstdint>
#include <string>

#include "common/Stream.h"

namespace lumerra {

struct TPdfHeader {
    int32_t Offset = -1;  // of "%PDF-"; -1 when the bytes searched hold none
    std::string Version;  // the token after "%PDF-", as written
    // "1.7" as 17; -1 when Version is not a digit, a period and a digit.
    int32_t VersionNumber() const;
};

// Searches the first Window bytes of S; leaves S's position unspecified.
TPdfHeader FindPdfHeader(TStream& S, int32_t Window = 1024);

// The offset after the last "startxref" in the last Window bytes of S, as
// readers look for it (junk after "%%EOF", or no "%%EOF" at all, does not
// hide it); -1 when there is none, no offset follows it, or objects follow
// it (an update cut off before its table).
int64_t FindStartXref(TStream& S, int32_t Window = 1024);

}  // namespace lumerra
