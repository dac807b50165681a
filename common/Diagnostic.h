// What the core found wrong with a file, beside its result: a record that
// says what (a message code and its parameters) and where (object, offset,
// revision, page). The front ends make the sentence and decide where it is
// told; the core never does.
#pragma once

#include <cstdint>
#include <exception>
#include <string_view>
#include <vector>

#include "common/Message.h"

namespace lumerra {

// A warning: the file was read all the same (a table rebuilt, a stream
// whose data is damaged). An error: the file, or the part asked for, could
// not be read.
enum class TDiagnosticSeverity : uint8_t { Warning, Error };

struct TDiagnostic {
    TMessage Message;  // the code and its parameters
    TDiagnosticSeverity Severity = TDiagnosticSeverity::Warning;
    // -1 where unknown or not about one.
    int32_t Object = -1;
    int32_t Generation = -1;
    int64_t Offset = -1;  // in the file
    int32_t Revision = -1;  // from 1: the document was read as that revision left it
    int32_t Page = -1;  // from 1
    // How many bytes of a stream's data decoded before its damage.
    int64_t DecodedBytes = -1;

    bool operator==(const TDiagnostic&) const = default;
};

using TDiagnostics = std::vector<TDiagnostic>;

// "warning", "error": as scripts see them.
std::string_view SeverityName(TDiagnosticSeverity Severity);

// The record of an error that stopped a reading: its message, and the
// object and offset a damaged-input error carries.
TDiagnostic ErrorDiagnostic(const std::exception& Error);

}  // namespace lumerra
