// The line the check's tests compare a finding by: the command line's form
// (cli/FindingText) with the core's Japanese text, so that one string holds
// the code, the place and the exact message.
#pragma once

#include <string>

#include "check/Finding.h"

namespace lumerra::check {

inline std::string FormatFinding(const TFinding& Finding) {
    std::string line = "page " + std::to_string(Finding.Page);
    if (Finding.Object >= 0) line += ", object " + std::to_string(Finding.Object);
    if (!Finding.Form.empty()) line += ", form " + Finding.Form;
    if (Finding.Stream != TStreamKind::None)
        line += ", stream " + std::string(StreamKindName(Finding.Stream)) + " " + Finding.StreamName;
    if (Finding.Offset >= 0) line += ", offset " + std::to_string(Finding.Offset);
    if (Finding.OperandOffset >= 0) line += ", operand-offset " + std::to_string(Finding.OperandOffset);
    line += ": " + std::string(SeverityName(Finding.Severity)) + " " + std::string(CodeName(Finding.Code));
    if (!Finding.Operator.empty()) line += " (" + Finding.Operator + ")";
    return line + ": " + JapaneseText(Finding.Message);
}

}  // namespace lumerra::check
