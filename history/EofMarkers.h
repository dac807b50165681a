// Where the "%%EOF" markers of a file are: each revision of a file ends with
// one (and the byte or two after it that belong to it).
#pragma once

#include <cstdint>
#include <vector>

namespace lumerra {

class TStream;

// The position of every "%%EOF" in the file, ascending; one pass.
std::vector<int64_t> EofMarkers(TStream& File);

// The position of the last "%%EOF" in the file; -1 when it has none.
int64_t LastEofMarker(TStream& File);

// Just past the marker at At and what belongs to it after: CR LF, or one
// CR, LF, space or tab.
int64_t EndOfMarkerLine(TStream& File, int64_t At);

}  // namespace lumerra
