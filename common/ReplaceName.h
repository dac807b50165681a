// Giving a file the name of another in one step, with the other handed back
// still open: the last close of a file that has lost its name frees all of
// its space, which for tens of megabytes takes milliseconds, so the caller
// chooses where that happens.
#pragma once

#include <string>

#include "common/UniqueFd.h"

namespace lumerra {

struct TNameReplaced {
    int Error = 0;       // errno value when From could not take the name
    UniqueFd Previous;   // the file that had the name To, if any (O_PATH)
};

// From takes the name To. Afterwards the file that had that name has no
// name left; nothing else is created or left in the folder, except where a
// kill -9 falls between the two steps of the swap (then the previous file
// stays under From's name). On failure To is unchanged.
TNameReplaced ReplaceName(const std::string& From, const std::string& To);

}  // namespace lumerra
