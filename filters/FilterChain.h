// The filter chain: undoes the filters of a stream's /Filter list, first
// entry first, over bytes already in memory.
#pragma once

#include <string_view>

#include "common/StrUtils.h"
#include "common/Stream.h"

namespace lumerra {

class TFastInflater;

inline constexpr std::string_view ASCIIHexDecodeName = "/ASCIIHexDecode";
inline constexpr std::string_view ASCII85DecodeName = "/ASCII85Decode";
inline constexpr std::string_view FlateDecodeName = "/FlateDecode";

// True when every entry is one of the three known names (an empty list too),
// whether or not they form a chain that decodes.
bool FiltersSupported(const TStringList& Filters);
// True when the list is one of the chains ApplyFilters decodes (an empty
// list too): known names in an order and number it takes.
bool FiltersFormChain(const TStringList& Filters);

// Decodes all of Data through the chain and appends the result to Output.
// The chains: no filter (the bytes are copied), one filter, or a text
// decoder followed by Flate. Any other list, known names in another order or
// number included, appends nothing. Decoding errors propagate, after the
// bytes decoded before them have been appended. Fast, when given, is the
// inflater Flate uses (see DecodeFlate).
void ApplyFilters(TMemoryStream& Data, const TStringList& Filters, TStream& Output, TFastInflater* Fast = nullptr);

}  // namespace lumerra
