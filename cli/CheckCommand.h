// "lumerra check": the content streams of each page checked, one line per
// finding as text or as JSON Lines.
#pragma once

#include <ostream>
#include <string>

#include "check/Finding.h"
#include "cli/CommandLine.h"
#include "cli/FileDriver.h"

namespace lumerra::cli {

// One finding as a JSON object on one line: file, page, object, form,
// offset, operator, severity, code, message (null where it has none).
std::string FindingJson(const std::string& File, const check::TFinding& Finding);

// Checks each input and writes the findings to Out; a file that cannot be
// read is told on Err (and as {"file", "error"} on Out for JSON), and the
// others are still checked. Returns 2 when a file lacks the revision asked
// for, else 1 when a file could not be read, else 3 when any finding is an
// error, else 0 (130 when interrupted).
int RunCheck(const TCheckArgs& Args, std::ostream& Out, std::ostream& Err, const TFileWatch& Watch = {});

}  // namespace lumerra::cli
