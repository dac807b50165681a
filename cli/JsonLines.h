// What every command's JSON output shares: one value per line, bytes that
// are no UTF-8 replaced rather than refused, and the line that tells why a
// file could not be read.
#pragma once

#include <exception>
#include <string>

#include <nlohmann/json.hpp>

#include "common/Diagnostic.h"

namespace lumerra::cli {

using TJson = nlohmann::ordered_json;

// Value on one line, without its end of line.
std::string Dump(const TJson& Value);

// {"file", "error", "code", "context", "diagnostics"} with its end of line;
// context only where the error has one, diagnostics (DiagnosticsJson) only
// where there are any.
std::string ErrorJson(const std::string& File, const std::exception& Error, const TDiagnostics& Diagnostics = {});

}  // namespace lumerra::cli
