// "lumerra decode": the report of a PDF file, written by the decoder.
#pragma once

#include <ostream>

#include "cli/CommandLine.h"
#include "cli/FileDriver.h"

namespace lumerra::cli {

// Decodes every input of Args into the report OutputNameFor names, creating
// the output folder first; messages go to Err. Returns the worst exit code
// of the files (WorseExitCode), 130 at once when one was interrupted.
int RunDecode(const TDecodeArgs& Args, std::ostream& Err, const TFileWatch& Watch = {});

}  // namespace lumerra::cli
