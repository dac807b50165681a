// The one line of the desktop program that tells what in a document acts:
// "JavaScript: 2 か所、Launch: 1 か所". Built from parts, so that other
// findings (the revisions, say) take their place in the same line.
#pragma once

#include <string>
#include <vector>

#include "triage/NameScan.h"

namespace lumerra {

// One part per kind of active content found, in a fixed order: the kind
// and the number of objects that hold it. JavaScript counts the objects
// with /JS or /JavaScript.
std::vector<std::string> ActiveContentParts(const TKeywordObjects& Objects);

// The parts joined into the line; empty when there are none.
std::string SummaryLine(const std::vector<std::string>& Parts);

}  // namespace lumerra
