// "内容の検査" of the desktop program: the content check of the document
// the window shows, as lines for its text area. The lines are those the
// command line writes ("lumerra check"), without the file name in front,
// then the counts per severity.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "pdf/PDFAnalyst.h"

namespace lumerra {

// Loaded is the window's document. The check reads as extended reading
// reads: Loaded itself when it was loaded so, else the same file loaded
// again that way (a default-reading load is never encrypted). KeepGoing is
// asked before each page with the pages done and their number; false
// cancels, and the answer is then none.
std::optional<std::vector<std::string>> ContentCheckLines(
    TPDFAnalyst& Loaded, const std::function<bool(int32_t Done, int32_t Total)>& KeepGoing);

}  // namespace lumerra
