// A document's history: its revisions, what each changed, and its
// signatures with what changed after them. Read from a document that
// extended reading loaded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "history/RevisionChain.h"
#include "history/RevisionChanges.h"
#include "history/SignatureReview.h"
#include "history/Signatures.h"

namespace lumerra {

class TPDFAnalyst;

struct TDocumentHistory {
    TRevisionChain Chain;
    std::vector<TRevisionChanges> Changes;  // one per revision
    std::vector<TSignature> Signatures;
    std::vector<TSignatureReview> Reviews;  // one per signature, in their order
};

// Raises EDamagedInput when the cross-reference chain cannot be followed.
TDocumentHistory ReadDocumentHistory(TPDFAnalyst& Analyst);

}  // namespace lumerra
