// Finding a key or a name value among the objects of a document, for the
// object browser's find: the first place after a given object that holds it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "model/ObjectPath.h"

namespace lumerra {

// The first place, in the objects after From and then from object 0 up to
// From itself, that has Text as a dictionary key or as a name value. Text is
// the decoded name, with or without its slash. References are not followed,
// so each object is read once. None when no object holds it.
std::optional<TReferrer> FindKeyOrName(TObjectSource& Source, std::string_view Text, int32_t From);

// Inside ("/Resources/Font/F1", "/Kids[0]") as the steps of a path after
// the object ("Resources/Font/F1", "Kids/0"), escaped as ParseShowTarget
// reads them.
std::string InsideAsPath(std::string_view Inside);

}  // namespace lumerra
