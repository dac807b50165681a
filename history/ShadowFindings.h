// Shadow attacks: signed content hidden, replaced, or hidden and replaced
// by a later revision, with payloads prepared before signing; and the
// annotations and signature fields that paint over a certified document.
#pragma once

#include <cstdint>
#include <optional>
#include <unordered_set>
#include <vector>

#include "common/Message.h"
#include "history/ChangeLevel.h"
#include "history/ObjectRoles.h"

namespace lumerra {

class TRevisionView;

enum class TShadowKind : uint8_t {
    Hide,                  // an annotation or optional content changed to cover or hide signed content
    Replace,               // a font, XObject, appearance or field value of the signed revision overridden
    HideAndReplace,        // the page tree or a page's content redirected to objects unreachable at signing
    UnreachableAtSigning,  // objects of the signed revision its /Root cannot reach
    EvilAnnotation,        // an annotation that paints over the page after a certification with P=3
    SneakySignature        // a new visible signature field after a certification
};

struct TShadowFinding {
    TShadowKind Kind = TShadowKind::Hide;
    int32_t Revision = 0;  // from 1; the signed revision for UnreachableAtSigning
    std::vector<int32_t> Objects;  // ascending
    friend bool operator==(const TShadowFinding&, const TShadowFinding&) = default;
};

// What the signed revision held and what the revisions after it did.
struct TSignedState {
    size_t Signed = 0;                         // the signed revision, from 0
    const TObjectRoles* Roles = nullptr;       // the signed revision's
    std::unordered_set<int32_t> Reachable;     // what its trailer reaches
    std::optional<int32_t> DocMdp;             // of a certification in force
};

struct TLaterChange {
    size_t Revision = 0;  // from 0
    const TRevisionLevel* Level = nullptr;
};

// The finding's message code: the front ends make its sentence, and its
// name ("shadow-hide") is the finding's code.
TMessageCode ShadowCode(TShadowKind Kind);

// The findings for one signature, the oldest revision first.
std::vector<TShadowFinding> FindShadowAttacks(TRevisionView& View, const TSignedState& Signed,
                                              const std::vector<TLaterChange>& Later);

}  // namespace lumerra
