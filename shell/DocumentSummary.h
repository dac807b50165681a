// The line of the text area that tells, after a load, what in the document
// acts: "% JavaScript: 2 か所、Launch: 1 か所".
#pragma once

#include <QString>

namespace lumerra {

class TPDFAnalyst;

// The line for the loaded document in Analyst; empty when there is nothing
// to tell. Further parts (revisions, say) join the same line.
QString DocumentSummaryLine(TPDFAnalyst& Analyst);

}  // namespace lumerra
