// A resource dictionary of the document read into the names the content
// check looks up: each category's names, colour spaces with their
// component counts, XObjects marked as forms.
#pragma once

#include "check/ResourceNames.h"
#include "pdf/ObjectReader.h"

namespace lumerra::check {

// Resources is the /Resources value (resolved or not); anything else than a
// dictionary declares nothing. An entry whose value is null, or refers to an
// object the file does not hold, is not declared; one whose object cannot be
// read, or whose value is of the wrong type, is declared with its fault.
TResourceNames ReadResourceNames(TObjectReader& Reader, const TValuePtr& Resources);

// What is known of colour space Space (a name or an array, resolved or not).
TColourSpace ReadColourSpace(TObjectReader& Reader, const TValuePtr& Space, int Depth = 0);

}  // namespace lumerra::check
