// Copies the data of one stream object out of the PDF file and undoes its
// filters: none, one of the three known ones, or hexadecimal or base-85
// followed by Flate.
#pragma once

#include <cstdint>

#include "common/StrUtils.h"
#include "common/Stream.h"

namespace lumerra {

// Source stands just after the keyword "stream"; the decoded bytes are
// appended to Output. Decoding errors are swallowed: the bytes that reached
// Output before one stay. Read errors at the end of Source propagate, and so
// do errors raised by Output itself. Where Source is left:
//   Length <= 0             unchanged (the line end is not consumed)
//   an unsupported filter   at the first byte of the data
//   no filter               just after the copied data
//   supported filters       just after the token that follows the data
void ReadStreamData(TStream& Source, TStream& Output, int32_t Length, const TStringList& Filters);

}  // namespace lumerra
