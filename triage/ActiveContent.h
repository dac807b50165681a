// What in a document acts, as data: each kind of active content found and
// how many objects hold it. The desktop program makes its line of them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "triage/NameScan.h"

namespace lumerra {

struct TActiveContent {
    std::string Kind;  // "JavaScript", "OpenAction", ...
    size_t Places = 0;  // the objects that hold it

    bool operator==(const TActiveContent&) const = default;
};

// One entry per kind found, in a fixed order. JavaScript counts the objects
// with /JS or /JavaScript.
std::vector<TActiveContent> ActiveContentKinds(const TKeywordObjects& Objects);

}  // namespace lumerra
