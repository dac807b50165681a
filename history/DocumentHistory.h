// A document's history: its revisions, what each changed, and its
// signatures with what changed after them. Read from a document that
// extended reading loaded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "history/RevisionChain.h"
#include "history/RevisionChanges.h"
#include "history/Signatures.h"

namespace lumerra {

class TPDFAnalyst;

struct TDocumentHistory {
    TRevisionChain Chain;
    std::vector<TRevisionChanges> Changes;  // one per revision
    std::vector<TSignature> Signatures;
};

// Raises EDamagedInput when the cross-reference chain cannot be followed.
TDocumentHistory ReadDocumentHistory(TPDFAnalyst& Analyst);

// For the desktop program's text area: "改訂: N".
std::string RevisionCountText(const TDocumentHistory& History);
// One plain sentence per signature whose revision was changed afterwards,
// and per signature whose byte range is at fault.
std::vector<std::string> SignatureWarnings(const TDocumentHistory& History);

}  // namespace lumerra
