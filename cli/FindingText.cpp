#include "cli/FindingText.h"

#include "cli/MessageText.h"

namespace lumerra::cli {

std::string FindingText(const check::TFinding& Finding) {
    // A finding about the whole file has no page.
    std::string line = Finding.Page > 0 ? "page " + std::to_string(Finding.Page) : std::string();
    const auto add = [&line](const std::string& Part) { line += (line.empty() ? "" : ", ") + Part; };
    if (Finding.Object >= 0) add("object " + std::to_string(Finding.Object));
    if (!Finding.Form.empty()) add("form " + Finding.Form);
    if (Finding.Stream != check::TStreamKind::None)
        add("stream " + std::string(check::StreamKindName(Finding.Stream)) + " " + Finding.StreamName);
    if (Finding.Offset >= 0) add("offset " + std::to_string(Finding.Offset));
    if (Finding.OperandOffset >= 0) add("operand-offset " + std::to_string(Finding.OperandOffset));
    if (!line.empty()) line += ": ";
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
