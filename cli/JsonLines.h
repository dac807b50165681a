// What every command's JSON output shares: one value per line, bytes that
// are no UTF-8 replaced rather than refused, and the line that tells why a
// file could not be read.
#pragma once

#include <exception>
#include <string>

#include <nlohmann/json.hpp>

namespace lumerra::cli {

using TJson = nlohmann::ordered_json;

// Value on one line, without its end of line.
std::string Dump(const TJson& Value);

// {"file", "error", "code", "context"} with its end of line; context only
// where the error has one.
std::string ErrorJson(const std::string& File, const std::exception& Error);

}  // namespace lumerra::cli
