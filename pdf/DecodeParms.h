// Reading a stream's /DecodeParms value for extended reading: one dictionary,
// an array of dictionaries and nulls (one per filter), or a reference to
// either.
#pragma once

#include <vector>

#include "common/StrUtils.h"
#include "common/Stream.h"
#include "filters/ExtendedChain.h"

namespace lumerra {

class TPDFAnalyst;

// S stands just after the key. Appends one entry per dictionary or null
// found; keys that are not decode parameters are passed over. A value that
// cannot be read gives what was read before it.
void ReadDecodeParms(TPDFAnalyst& Analyst, TStream& S, std::vector<TDecodeParams>& Params);

// The steps of a stream: its filter names with the parameters at the same
// place (defaults where there are fewer).
std::vector<TFilterStep> FilterSteps(const TStringList& Filters, const std::vector<TDecodeParams>& Params);

}  // namespace lumerra
