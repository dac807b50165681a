// The lines the text area shows about a loaded document's history: how many
// revisions it has and, for each signature, whether the document was changed
// after signing.
#pragma once

#include <QStringList>

namespace lumerra {

class TPDFAnalyst;

// Nothing when the cross-reference chain cannot be followed (a table that
// had to be rebuilt): the load itself has said what it could.
QStringList HistoryLines(TPDFAnalyst& Analyst);

}  // namespace lumerra
