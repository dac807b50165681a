// The content check's lines on the command line. The labels and the counts
// stay English in every locale, as scripts read them; the message follows
// the user's locale.
#pragma once

#include <cstdint>
#include <string>

#include "check/Finding.h"

namespace lumerra::cli {

// "page 3, object 12, form Fm0, offset 1234: error save-restore (Q): message"
// (no file name, no line end), with "operand-offset 1230" after the offset
// when the finding is about an operand; no page for a finding about the
// whole file.
std::string FindingText(const check::TFinding& Finding);
// "page 3: 17 more findings were left out."
std::string OmittedText(int32_t Page, int64_t Omitted);
// "error 3, warning 0, info 2"
std::string CountsText(const check::TSeverityCounts& Counts);

}  // namespace lumerra::cli
