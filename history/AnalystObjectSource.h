// The objects of a document loaded by today's extended reading, as "show"
// and the desktop program's object browser ask for them: the one place that
// knows how objects are loaded and which revision wrote each.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "history/RevisionChain.h"
#include "model/ObjectSource.h"
#include "pdf/ObjectLocation.h"
#include "pdf/ObjectReader.h"

namespace lumerra {

class TPDFAnalyst;

class TAnalystObjectSource final : public TObjectSource {
public:
    // Analyst has loaded the document and outlives this.
    explicit TAnalystObjectSource(TPDFAnalyst& Analyst);

    int32_t ObjectCount() override;
    TValuePtr Trailer() override;
    int32_t NewestRevision() override;
    // As the load read the chain, so the chain is not read again; a rebuilt
    // table's stand-in trailer alone.
    std::vector<TValuePtr> RevisionTrailers() override;
    TValuePtr Object(int32_t Number) override;
    TObjectPlace Place(int32_t Number) override;
    std::optional<int32_t> PageObject(int32_t Page) override;
    std::string StreamData(int32_t Number, bool Decoded, TStreamDamage* Damage) override;

private:
    // The revisions from the file's chain of sections, read once when first
    // asked for, and the newest trailer. A rebuilt table has no chain: the
    // revisions stay unknown.
    void ReadHistory();
    // The revision that last wrote object Number: for a few objects, from
    // that object's entries alone; past them, from every revision compared
    // once (what "revisions" tells).
    int32_t RevisionOf(int32_t Number);

    TPDFAnalyst& FAnalyst;
    TObjectReader FReader;
    bool FHistoryRead = false;
    std::optional<TRevisionChain> FChain;
    std::vector<int32_t> FRevisionOf;  // by object number (0 when unknown), once compared
    int32_t FAsked = 0;
    int32_t FRevisions = 0;
    TValuePtr FTrailer;
    std::optional<TIDList> FPages;
};

}  // namespace lumerra
