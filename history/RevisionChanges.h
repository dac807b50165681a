// What each revision did: the objects it added, changed and freed, and the
// trailer keys it changed, found by comparing its sections with the state
// the revisions before it left.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "history/RevisionChain.h"

namespace lumerra {

struct TRevisionChanges {
    // Ascending object numbers.
    std::vector<int32_t> Added;
    std::vector<int32_t> Changed;
    std::vector<int32_t> Freed;
    // Of /Root, /Info, /Encrypt and /ID, those whose value differs from the
    // previous revision's trailer, in that order (without the slash); for
    // the first revision, those its trailer has.
    std::vector<std::string> TrailerChanged;
};

// What a revision's sections list, a newer section's entry first; a
// beside stream fills only what its table leaves absent or free.
using TRevisionEntries = std::unordered_map<int32_t, TXrefStreamEntry>;
TRevisionEntries RevisionEntries(const TRevision& Revision);
bool EntryInUse(const TXrefStreamEntry& Entry);

// One entry per revision of Revisions (the oldest first).
//
// An object listed in use where it was absent or free before is added; one
// listed at another place than before is changed (so is one in an object
// stream that the revision changed); one listed free where it was in use is
// freed. An entry that repeats what was already there changes nothing.
std::vector<TRevisionChanges> CompareRevisions(const std::vector<TRevision>& Revisions);

// Whether two values are the same (references by their numbers).
bool SameValue(const TValue& A, const TValue& B);

}  // namespace lumerra
