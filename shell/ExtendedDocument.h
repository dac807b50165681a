// What the desktop's object views and checks read: the loaded document when
// extended reading loaded it, else the same file read again by extended
// reading, whatever the window's option says.
#pragma once

#include <memory>

#include "pdf/PDFAnalyst.h"

namespace lumerra {

// Loaded itself, or the file read again into Reloaded. Raises what the load
// raises.
TPDFAnalyst& ExtendedDocumentOf(TPDFAnalyst& Loaded, std::unique_ptr<TPDFAnalyst>& Reloaded);

}  // namespace lumerra
