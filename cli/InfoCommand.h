// "lumerra info": the structure of a PDF file as "key: value" lines.
#pragma once

#include <ostream>
#include <optional>
#include <string>

#include "common/StrUtils.h"
#include "pdf/PDFAnalyst.h"

namespace lumerra::cli {

// The lines of a loaded document; Pages is its page list.
std::string FormatInfo(const TPDFAnalyst& Analyst, const TIDList& Pages);

// Loads Input and writes its lines to Out; a failure writes the exception's
// message to Err. Returns the exit code.
int RunInfo(const std::string& Input, bool Extended, std::ostream& Out, std::ostream& Err,
            const std::optional<std::string>& Password = std::nullopt);

}  // namespace lumerra::cli
