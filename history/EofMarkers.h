// Where the "%%EOF" markers of a file are: each revision of a file ends with
// one (and the end of line after it).
#pragma once

#include <cstdint>
#include <vector>

namespace lumerra {

class TStream;

// For each of Offsets (ascending), the position of the first "%%EOF" at or
// after it; -1 where none follows. One pass over the file from the first
// offset.
std::vector<int64_t> FirstEofMarkersAfter(TStream& File, const std::vector<int64_t>& Offsets);

// The position of the last "%%EOF" in the file; -1 when it has none.
int64_t LastEofMarker(TStream& File);

// Just past the marker at At and the end of line (CR, LF or CR LF) that
// follows it, if any.
int64_t EndOfMarkerLine(TStream& File, int64_t At);

}  // namespace lumerra
