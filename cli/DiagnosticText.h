// The diagnostics of a file as the command line tells them: a line each on
// standard error, and an array of records in the JSON output.
#pragma once

#include <string>

#include "cli/JsonLines.h"
#include "common/Diagnostic.h"

namespace lumerra::cli {

// "lumerra: FILE: sentence", with "page 3, object 12: " and "data damaged
// after 1,024 bytes: " before the sentence where the record says so; with
// its line end.
std::string DiagnosticLine(const std::string& File, const TDiagnostic& Diagnostic);

// [{"code", "severity", "object", "generation", "offset", "revision",
// "parameters", "message"}, ...], null where a record does not know; "page"
// and "decoded-bytes" where it does.
TJson DiagnosticsJson(const TDiagnostics& Diagnostics);

}  // namespace lumerra::cli
