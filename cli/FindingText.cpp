#include "cli/FindingText.h"

#include "cli/MessageText.h"

namespace lumerra::cli {

std::string FindingText(const check::TFinding& Finding) {
    std::string line = "page " + std::to_string(Finding.Page);
    if (Finding.Object >= 0) line += ", object " + std::to_string(Finding.Object);
    if (!Finding.Form.empty()) line += ", form " + Finding.Form;
    if (Finding.Offset >= 0) line += ", offset " + std::to_string(Finding.Offset);
    line += ": ";
    line += check::SeverityName(Finding.Severity);
    line += ' ';
    line += check::CodeName(Finding.Code);
    if (!Finding.Operator.empty()) line += " (" + Finding.Operator + ")";
    return line + ": " + Sentence(Finding.Message);
}

std::string OmittedText(int32_t Page, int64_t Omitted) {
    return "page " + std::to_string(Page) + ": " + Sentence(MakeMessage(TMessageCode::FindingsOmitted, Omitted));
}

std::string CountsText(const check::TSeverityCounts& Counts) {
    return "error " + std::to_string(Counts[check::TSeverity::Error]) + ", warning " +
           std::to_string(Counts[check::TSeverity::Warning]) + ", info " +
           std::to_string(Counts[check::TSeverity::Info]);
}

}  // namespace lumerra::cli
