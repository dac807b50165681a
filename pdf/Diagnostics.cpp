#include "pdf/Diagnostics.h"

#include "pdf/PDFAnalyst.h"

namespace lumerra {

TDiagnostic MisplacedDiagnostic(const TMisplacedObject& Object) {
    TDiagnostic diagnostic;
    diagnostic.Message = MakeMessage(TMessageCode::ObjectMisplaced, Object.Number, Object.Offset, Object.Found);
    diagnostic.Object = Object.Number;
    diagnostic.Offset = Object.Offset;
    return diagnostic;
}

TDiagnostics MisplacedDiagnostics(const std::vector<TMisplacedObject>& Objects) {
    TDiagnostics diagnostics;
    for (const TMisplacedObject& object : Objects) diagnostics.push_back(MisplacedDiagnostic(object));
    return diagnostics;
}

TDiagnostics LoadDiagnostics(const TPDFAnalyst& Analyst) {
    TDiagnostics diagnostics;
    if (const auto& misplaced = Analyst.Misplaced()) diagnostics.push_back(MisplacedDiagnostic(*misplaced));
    for (const TMessage& warning : Analyst.WarningMessages()) diagnostics.push_back({.Message = warning});
    return diagnostics;
}

TDiagnostic StreamDamageDiagnostic(int32_t Page, int32_t Object, const TStreamDamage& Damage) {
    TDiagnostic diagnostic;
    diagnostic.Message = Damage.What;
    diagnostic.Object = Object;
    diagnostic.Offset = Damage.Offset;
    diagnostic.Page = Page;
    // A missing end keyword loses no data.
    if (Damage.Fault != TStreamFault::NoEndKeyword) diagnostic.DecodedBytes = Damage.BytesBefore;
    return diagnostic;
}

}  // namespace lumerra
