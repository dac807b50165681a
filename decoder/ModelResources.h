// Extended reading's resource records: a page's resources and its Form
// XObjects read by key from parsed values, through the object model.
#pragma once

#include <cstdint>

#include "decoder/PDFResource.h"
#include "pdf/ObjectReader.h"

namespace lumerra {

// Fills Page with the seven categories of page P's resources (its own or
// inherited /Resources) and one child per Form XObject it can draw: each
// form once, in depth-first pre-order, forms inside forms included, with
// their own /Resources. Every entry of a category is listed but those that
// are null (a null value, or a reference to an object the file does not
// hold); a direct value has object number -1.
// Names are in their normal form (NormalName).
void CollectModelResources(TObjectReader& Reader, int32_t P, TPageResource& Page);

}  // namespace lumerra
