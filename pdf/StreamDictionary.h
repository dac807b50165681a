// What extended reading takes from a stream's dictionary, read by key from
// its parsed value: the declared length and the filter steps with their
// decode parameters, each direct or referenced.
#pragma once

#include <cstdint>
#include <vector>

#include "filters/ExtendedChain.h"
#include "pdf/ObjectReader.h"

namespace lumerra {

// /Length, when it is a number (direct or referenced); -1 otherwise.
int32_t DeclaredStreamLength(TObjectReader& Reader, const TValuePtr& Stream);

// The steps /Filter names (a name or an array of them), each with the
// /DecodeParms entry at the same place (a dictionary, or an array of
// dictionaries and nulls); names in their normal form.
std::vector<TFilterStep> StreamFilterSteps(TObjectReader& Reader, const TValuePtr& Stream);

// An integer value clamped to 32 bits; Default for anything else.
int32_t IntegerOr(const TValue& Value, int32_t Default);

}  // namespace lumerra
