#include "common/Diagnostic.h"

#include "common/Exceptions.h"

namespace lumerra {

std::string_view SeverityName(TDiagnosticSeverity Severity) {
    return Severity == TDiagnosticSeverity::Error ? "error" : "warning";
}

TDiagnostic ErrorDiagnostic(const std::exception& Error) {
    TDiagnostic diagnostic;
    diagnostic.Message = MessageOf(Error);
    diagnostic.Severity = TDiagnosticSeverity::Error;
    if (const auto* damaged = dynamic_cast<const EDamagedInput*>(&Error)) {
        diagnostic.Object = damaged->Object();
        diagnostic.Offset = damaged->Offset();
    }
    return diagnostic;
}

}  // namespace lumerra
