// The lines of the text area that tell, after a load, what the document
// went through and what in it acts: "% 改訂: 3、JavaScript: 2 か所", then
// one line for each signed revision that was changed afterwards.
#pragma once

#include <QStringList>

namespace lumerra {

class TPDFAnalyst;

// The lines for the loaded document in Analyst; none when there is nothing
// to tell, and none under the default reading, whose lines stay as they
// always were.
QStringList DocumentSummaryLines(TPDFAnalyst& Analyst);

}  // namespace lumerra
