// Which of a link's types an object is, decided by the model's own
// distinguishing rows: a type is out when a key it requires to hold one of
// a few values (or its Type and Subtype) holds another; of the rest, the
// one that matches most such keys wins, then the one missing the fewest
// required keys, then the one valid in the file's version, then the one
// that defines most of the object's keys. A required entry that links to
// other types rules a type out when it fits none of them (a destination's
// page against a structure element). A tie is told, never guessed.
#pragma once

#include <cstdint>
#include <vector>

#include "objects/Model.h"
#include "objects/Trees.h"

namespace lumerra::objects {

struct TLinkChoice {
    enum class TOutcome : uint8_t { Chosen, NoneFits, Tie };
    TOutcome Outcome = TOutcome::NoneFits;
    int32_t Type = -1;
    std::vector<int32_t> Tied;  // the types that tied
};

// Preferred, when not empty, names the type that breaks a tie: a stream's
// /Filter names the type of its /DecodeParms, which the parameters' own keys
// cannot tell apart. Depth bounds how far a required entry's own link is
// followed to tell types apart.
TLinkChoice ChooseLink(const TModel& Model, const std::vector<TLinkTarget>& Targets, const TValue& Value,
                       const TResolve& Resolve, int Version, std::string_view Preferred = {}, int Depth = 1);

// Whether Value (resolved) is of the model's basic type; a rectangle or a
// matrix is any array here, its length checked apart.
bool KindMatches(TBasicType Type, const TValue& Value);

}  // namespace lumerra::objects
