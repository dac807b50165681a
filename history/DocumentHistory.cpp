#include "history/DocumentHistory.h"

#include "pdf/ObjectReader.h"
#include "pdf/PDFAnalyst.h"

namespace lumerra {

TDocumentHistory ReadDocumentHistory(TPDFAnalyst& Analyst) {
    TPositionKeeper keeper(*Analyst.Stream());
    TObjectReader reader(Analyst);
    TDocumentHistory history;
    history.Chain = ReadRevisionChain(reader);
    history.Changes = CompareRevisions(history.Chain.Revisions);
    history.Signatures = FindSignatures(reader, history.Chain.Revisions, history.Changes);
    history.Reviews = ReviewSignatures(reader, history.Chain.Revisions, history.Changes, history.Signatures);
    return history;
}

}  // namespace lumerra
