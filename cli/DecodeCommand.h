// "lumerra decode": the report of a PDF file, written by the decoder.
#pragma once

#include <ostream>

#include "cli/CommandLine.h"

namespace lumerra::cli {

// Runs one decoding; messages go to Err. Returns the exit code.
int RunDecode(const TDecodeArgs& Args, std::ostream& Err);

}  // namespace lumerra::cli
