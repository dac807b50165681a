#include "shell/HistoryLines.h"

#include "common/Exceptions.h"
#include "history/DocumentHistory.h"

namespace lumerra {

QStringList HistoryLines(TPDFAnalyst& Analyst) {
    TDocumentHistory history;
    try {
        history = ReadDocumentHistory(Analyst);
    } catch (const Exception&) {
        return {};
    }
    QStringList lines{QStringLiteral("% ") + QString::fromStdString(RevisionCountText(history))};
    for (const std::string& warning : SignatureWarnings(history))
        lines << QStringLiteral("% ") + QString::fromStdString(warning);
    return lines;
}

}  // namespace lumerra
