// Finding a revision's cross-reference table when its startxref is wrong.
#pragma once

#include <cstdint>

namespace lumerra {

class TStream;

// Where the last "xref" keyword between From and Before begins, with white
// space (or From) before it and white space after it: the table of the
// revision that ends at Before. -1 when there is none. Reads backwards, so
// only the revision's tail is read when the table is there.
int64_t LastTableKeyword(TStream& File, int64_t From, int64_t Before);

}  // namespace lumerra
