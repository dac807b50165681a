// A page's records as the report needs them: its resources with the forms
// it can draw, and its content list. The default reading scans the objects'
// tokens; extended reading reads them by key from parsed objects.
#pragma once

#include <cstdint>

#include "common/StrUtils.h"
#include "decoder/PDFResource.h"
#include "decoder/ResourceCollector.h"
#include "pdf/ObjectReader.h"
#include "pdf/PDFAnalyst.h"

namespace lumerra {

class TPageReader {
public:
    // Objects is extended reading's reader over Analyst, null for the
    // default reading; both stay the caller's.
    TPageReader(TPDFAnalyst& Analyst, TObjectReader* Objects) : FAnalyst(Analyst), FObjects(Objects) {}

    // Fills R with the resources of page P (or of its nearest ancestor),
    // with one child per Form XObject reachable from them.
    void CollectResources(int32_t P, TPageResource& R);
    // Appends the object numbers of page P's content streams, in order.
    void Contents(int32_t P, TIDList& L);
    // Page P was written in place in its parent's /Kids: it has no object
    // number of its own.
    bool InPlace(int32_t P) const { return FAnalyst.IsDirectPage(P); }

    // Tokens and entries that collecting Form XObjects may cost over this
    // reader's whole life (each page has a limit of its own too). Past it,
    // pages get no more form children and the report says so.
    int64_t FormWorkBudget = 100'000'000;

private:
    TPDFAnalyst& FAnalyst;
    TObjectReader* FObjects;
    // The file does not change while it is read, so no node or form is
    // scanned twice: pages that share ancestors or forms cost them once.
    TScanCache FScanCache;
};

}  // namespace lumerra
