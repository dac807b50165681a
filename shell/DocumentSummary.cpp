#include "shell/DocumentSummary.h"

#include "triage/ActiveContent.h"
#include "triage/NameScan.h"

namespace lumerra {

QString DocumentSummaryLine(TPDFAnalyst& Analyst) {
    const std::string line = SummaryLine(ActiveContentParts(ScanNameKeywords(Analyst)));
    return line.empty() ? QString() : QStringLiteral("% ") + QString::fromStdString(line);
}

}  // namespace lumerra
