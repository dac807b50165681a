// Inline images in a content stream (BI dictionary ID data EI): the
// dictionary's keys and values, and where the data ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "check/Finding.h"
#include "check/ResourceNames.h"
#include "syntax/Tokenizer.h"

namespace lumerra::check {

// Tokens stand just past the "BI" at BiOffset. Reads the dictionary up to
// "ID" and the data, and leaves Tokens past the "EI" that ends it; at the
// end of the data when nothing ends it. A colour space named by a resource
// is looked up (and marked used) in Resources.
void CheckInlineImage(TTokenizer& Tokens, int64_t BiOffset, TResourceNames& Resources, const TReportFinding& Report);

// Where data whose length is not known ends: the first "EI" at From or
// after it that stands at From or after white space and is followed by
// white space, a delimiter or the end of Data. Data that merely contains
// "EI" among other bytes does not end there. SIZE_MAX when there is none.
size_t FindImageEnd(std::span<const uint8_t> Data, size_t From);

}  // namespace lumerra::check
