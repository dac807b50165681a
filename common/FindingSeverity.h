// How much a finding of a check weighs: the content check's and the object
// check's alike, so that both are counted and told one way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace lumerra {

enum class TFindingSeverity : uint8_t { Error, Warning, Info };
inline constexpr size_t FindingSeverityCount = 3;

// As users and scripts see it: "error", "warning", "info".
constexpr std::string_view SeverityName(TFindingSeverity Severity) {
    switch (Severity) {
        case TFindingSeverity::Warning: return "warning";
        case TFindingSeverity::Info: return "info";
        case TFindingSeverity::Error: break;
    }
    return "error";
}

}  // namespace lumerra
