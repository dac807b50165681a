// The structural half of triage: which objects hold each name keyword, as
// a dictionary key or as a name value, read from the parsed objects. Names
// are compared decoded ("/J#61vaScript" is /JavaScript), and objects kept
// in object streams are read like the others.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "pdf/ObjectLocation.h"
#include "triage/RawKeywords.h"

namespace lumerra {

class TPDFAnalyst;
class TValue;

// Per keyword of TriageKeywords, the numbers of the objects holding it, in
// increasing order (always empty for the word keywords).
using TKeywordObjects = std::array<TIDList, TriageKeywords.size()>;

// Marks in Found (one flag per keyword) the name keywords that Value holds,
// nested containers included.
void FindNameKeywords(const TValue& Value, std::array<bool, TriageKeywords.size()>& Found);

// Reads every object the loaded document's table names, once each, and
// tells where the name keywords are. References are not followed: each hit
// belongs to the object that writes the name.
TKeywordObjects ScanNameKeywords(TPDFAnalyst& Analyst);

}  // namespace lumerra
