// Repair on demand once a document is loaded: when an object is not where
// the table says, one pass over the file (Repair.h) finds where it is. The
// pass is made once per document, the first time it is needed, and shared
// by every reader of the document, whatever its thread.
#pragma once

#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "common/Stream.h"

namespace lumerra {

// An object its table's offset does not hold: Offset holds object Found.
struct TMisplacedObject {
    int32_t Number = -1;
    int64_t Offset = -1;
    int32_t Found = -1;
};

class TLateRepair {
public:
    // Where the pass over File found object What.Number's header (the last
    // one), -1 where it found none; What is kept to be told.
    int64_t Relocate(TStream& File, const TMisplacedObject& What);
    // The objects relocated so far, in the order they were met.
    std::vector<TMisplacedObject> Misplaced() const;

private:
    std::once_flag FScanned;
    std::unordered_map<int32_t, int64_t> FObjects;
    mutable std::mutex FMutex;
    std::vector<TMisplacedObject> FMisplaced;
};

}  // namespace lumerra
