// "lumerra decode": the report of a PDF file, written by the decoder.
#pragma once

#include <ostream>
#include <string>

#include "cli/CommandLine.h"

namespace lumerra::cli {

// Decodes one input into the report OutputNameFor names; messages go to
// Err. Returns the exit code.
int RunDecodeFile(const TDecodeArgs& Args, const std::string& Input, std::ostream& Err);
// Decodes every input of Args, creating the output folder first: 1 when any
// failed, 130 at once when one was interrupted.
int RunDecode(const TDecodeArgs& Args, std::ostream& Err);

}  // namespace lumerra::cli
