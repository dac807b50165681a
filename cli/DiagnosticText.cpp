#include "cli/DiagnosticText.h"

#include "cli/MessageText.h"
#include "common/StrUtils.h"

namespace lumerra::cli {

namespace {

TJson NumberOrNull(int64_t Number) { return Number >= 0 ? TJson(Number) : TJson(nullptr); }

// A reason in a parameter's place is given by its code: the parameters are
// data, the sentence is in "message".
std::vector<std::string> Parameters(const TMessage& Message) {
    return ArgsWithReasons(Message, [](const TMessage& Reason) { return std::string(CodeName(Reason.Code)); });
}

}  // namespace

std::string DiagnosticLine(const std::string& File, const TDiagnostic& Diagnostic) {
    std::string line = "lumerra: " + File + ": ";
    if (Diagnostic.Page >= 0)
        line += "page " + std::to_string(Diagnostic.Page) + ", object " + std::to_string(Diagnostic.Object) + ": ";
    if (Diagnostic.DecodedBytes >= 0) line += "data damaged after " + FormatThousands(Diagnostic.DecodedBytes) + " bytes: ";
    return line + Sentence(Diagnostic.Message) + "\n";
}

TJson DiagnosticsJson(const TDiagnostics& Diagnostics) {
    TJson records = TJson::array();
    for (const TDiagnostic& diagnostic : Diagnostics) {
        TJson record = {{"code", CodeName(diagnostic.Message.Code)},
                        {"severity", SeverityName(diagnostic.Severity)},
                        {"object", NumberOrNull(diagnostic.Object)},
                        {"generation", NumberOrNull(diagnostic.Generation)},
                        {"offset", NumberOrNull(diagnostic.Offset)},
                        {"revision", NumberOrNull(diagnostic.Revision)},
                        {"parameters", Parameters(diagnostic.Message)},
                        {"message", Sentence(diagnostic.Message)}};
        if (diagnostic.Page >= 0) record["page"] = diagnostic.Page;
        if (diagnostic.DecodedBytes >= 0) record["decoded-bytes"] = diagnostic.DecodedBytes;
        records.push_back(std::move(record));
    }
    return records;
}

}  // namespace lumerra::cli
