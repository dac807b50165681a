// A page's records as the report needs them: its resources with the forms
// it can draw, and its content list. Each reading has its own reader, chosen
// once where the decoder is made (NewPageReader): the default reading scans
// the objects' tokens, extended reading reads them by key from parsed
// objects.
#pragma once

#include <cstdint>
#include <memory>

#include "common/StrUtils.h"
#include "decoder/PDFResource.h"
#include "pdf/ObjectReader.h"
#include "pdf/PDFAnalyst.h"

namespace lumerra {

class TPageReader {
public:
    virtual ~TPageReader() = default;
    TPageReader(const TPageReader&) = delete;
    TPageReader& operator=(const TPageReader&) = delete;

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

protected:
    explicit TPageReader(TPDFAnalyst& Analyst) : FAnalyst(Analyst) {}
    virtual void ReadResources(int32_t P, TPageResource& R) = 0;
    virtual void ReadContents(int32_t P, TIDList& L) = 0;

    TPDFAnalyst& FAnalyst;
};

// The page reader of Analyst's reading: by key through Objects, Analyst's
// object model (TPDFAnalyst::ObjectModel), where it has one; token by token
// where it has none. Both stay the caller's.
std::unique_ptr<TPageReader> NewPageReader(TPDFAnalyst& Analyst, TObjectReader* Objects);

}  // namespace lumerra
