// "lumerra triage": the raw keyword counts of each file, as pdfid gives
// them, with the objects that hold each name keyword.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/FileDriver.h"

namespace lumerra::cli {

// Writes each input's report to Out, as text (a blank line between files)
// or one JSON object per line. A file that cannot be read is told on Err
// (and, for JSON, as {"file", "error"} on Out); one whose objects cannot be
// read still gets its raw counts, and the reason goes to Err. Returns the
// exit code: 1 when any file failed either way.
// Password opens encrypted files, after the empty one.
int RunTriage(const std::vector<std::string>& Inputs, bool Json, std::ostream& Out, std::ostream& Err,
              const std::optional<std::string>& Password = std::nullopt, const TFileWatch& Watch = {});

}  // namespace lumerra::cli
