// How far a revision after a signature went, from the least to the most:
// nothing; long-term validation and bookkeeping; filling in the form;
// annotations; anything else. Each object it touched gets its role and the
// level it counts as.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "history/ObjectRoles.h"
#include "history/RevisionChanges.h"
#include "history/SignatureKind.h"

namespace lumerra {

class TRevisionView;

enum class TChangeLevel : uint8_t { None, Lta, FormFilling, Annotations, Other };

struct TChangedObject {
    int32_t Object = 0;
    TObjectRole Role;  // as the revision before left it; for a new object, as this one left it
    TChangeLevel Level = TChangeLevel::None;
    bool LockedField = false;  // a field a lock in force locks
    friend bool operator==(const TChangedObject&, const TChangedObject&) = default;
};

struct TRevisionLevel {
    TChangeLevel Level = TChangeLevel::None;
    std::vector<TChangedObject> Objects;  // ascending
    bool LockedFieldChanged = false;
};

// The keys whose values differ between dictionaries A and B, or are in one
// only; {""} when either is no dictionary.
std::set<std::string> DifferingKeys(const TValue& A, const TValue& B);

// What revision R (from 1 on, from 0) changed against revision R - 1:
// Changes are R's, Before and After the two revisions' roles, Locks the
// field locks in force.
TRevisionLevel ClassifyRevision(TRevisionView& View, size_t R, const TRevisionChanges& Changes,
                                const TObjectRoles& Before, const TObjectRoles& After,
                                const std::vector<TFieldLock>& Locks);

}  // namespace lumerra
