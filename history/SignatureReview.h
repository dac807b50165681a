// For each signature: what it is, the permissions it declares, how far each
// later revision went and whether that was allowed, and the shadow attacks
// found.
#pragma once

#include <cstdint>
#include <vector>

#include "history/ChangeLevel.h"
#include "history/ShadowFindings.h"
#include "history/SignatureIntegrity.h"
#include "history/SignatureKind.h"
#include "history/Signatures.h"
#include "history/Verdict.h"

namespace lumerra {

class TObjectReader;

struct TLaterRevision {
    int32_t Revision = 0;  // from 1
    TChangeLevel Level = TChangeLevel::None;
    TVerdict Verdict = TVerdict::NoPermissionDeclared;
    std::vector<TChangedObject> Objects;
};

struct TSignatureReview {
    TSignatureDescription Description;
    TIntegrity Integrity = TIntegrity::NotChecked;
    std::vector<TLaterRevision> Later;  // empty when the signature covers no revision
    std::vector<TShadowFinding> Findings;
};

// One review per signature of Signatures, in their order.
std::vector<TSignatureReview> ReviewSignatures(TObjectReader& Reader, const std::vector<TRevision>& Revisions,
                                               const std::vector<TRevisionChanges>& Changes,
                                               const std::vector<TSignature>& Signatures);

}  // namespace lumerra
