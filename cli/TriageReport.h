// The triage report of one file: text laid out as pdfid lays out its own,
// with the objects at the end of each name keyword's line, or one JSON
// object on one line.
#pragma once

#include <string>

#include "common/Diagnostic.h"
#include "triage/Triage.h"

namespace lumerra::cli {

std::string FormatTriageText(const TTriage& Triage);
// The error's text in the user's language, and the file's diagnostics
// last where it has any.
std::string FormatTriageJson(const TTriage& Triage, const TDiagnostics& Diagnostics);

}  // namespace lumerra::cli
