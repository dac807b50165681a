#include "shell/DocumentSummary.h"

#include "common/Exceptions.h"
#include "history/DocumentHistory.h"
#include "pdf/PDFAnalyst.h"
#include "shell/SummaryText.h"
#include "triage/ActiveContent.h"
#include "triage/NameScan.h"

namespace lumerra {

QStringList DocumentSummaryLines(TPDFAnalyst& Analyst) {
    // The default reading's text area stays as it always was.
    if (Analyst.Reading() != TReading::Extended) return {};
    std::vector<std::string> parts;
    std::vector<std::string> warnings;
    // A chain that cannot be followed (a rebuilt table) tells no revisions:
    // the load itself has said what it could.
    try {
        const TDocumentHistory history = ReadDocumentHistory(Analyst);
        parts.push_back(RevisionCountText(history));
        warnings = SignatureWarnings(history);
        for (std::string& verdict : SignatureVerdicts(history)) warnings.push_back(std::move(verdict));
    } catch (const Exception&) {
    }
    for (const TActiveContent& kind : ActiveContentKinds(ScanNameKeywords(Analyst))) parts.push_back(ActiveContentText(kind));
    QStringList lines;
    if (const std::string line = SummaryLine(parts); !line.empty())
        lines << QStringLiteral("% ") + QString::fromStdString(line);
    for (const std::string& warning : warnings) lines << QStringLiteral("% ") + QString::fromStdString(warning);
    return lines;
}

}  // namespace lumerra
