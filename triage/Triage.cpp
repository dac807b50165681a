#include "triage/Triage.h"

#include "pdf/ExtendedAnalyst.h"
#include "pdf/PDFAnalyst.h"

namespace lumerra {

TTriage TriageFile(const std::string& FileName) {
    TTriage triage{FileName, CountRawKeywords(FileName), std::nullopt, {}, {}};
    try {
        TExtendedAnalyst analyst;
        analyst.LoadFromFile(FileName);
        triage.Objects = ScanNameKeywords(analyst);
    } catch (const Exception& e) {
        triage.Error = e.Text();
        triage.Context = e.Context();
    }
    return triage;
}

}  // namespace lumerra
