#include "cli/JsonLines.h"

#include "cli/DiagnosticText.h"
#include "cli/MessageText.h"
#include "common/Exceptions.h"

namespace lumerra::cli {

std::string Dump(const TJson& Value) { return Value.dump(-1, ' ', false, TJson::error_handler_t::replace); }

std::string ErrorJson(const std::string& File, const std::exception& Error, const TDiagnostics& Diagnostics) {
    TJson line = {{"file", File}};
    const auto* error = dynamic_cast<const Exception*>(&Error);
    line["error"] = ErrorSentence(Error);
    line["code"] = ErrorCode(Error);
    if (error != nullptr && !error->Context().empty()) line["context"] = error->Context();
    if (!Diagnostics.empty()) line["diagnostics"] = DiagnosticsJson(Diagnostics);
    return Dump(line) + "\n";
}

}  // namespace lumerra::cli
