// What extended reading takes from a page object, read by key from parsed
// values (ISO 32000-2, 7.7.3): inherited attributes and the content streams.
#pragma once

#include <cstdint>
#include <string_view>

#include "pdf/ObjectReader.h"
#include "pdf/ObjectLocation.h"

namespace lumerra {

// The value of an inheritable attribute (/Resources, /MediaBox, /CropBox,
// /Rotate) of the page object Page: its own, or that of the nearest
// ancestor that has it. A /Parent chain that loops ends at a node already
// seen. Null when no node has it.
TValuePtr InheritedAttribute(TObjectReader& Reader, int32_t Page, std::string_view Key);

// The content streams of page Page, in order: /Contents is a reference to a
// stream, or an array (direct or referenced) of them. Nulls and items that
// are no references to an object the file holds are passed over.
TIDList PageContentStreams(TObjectReader& Reader, int32_t Page);

}  // namespace lumerra
