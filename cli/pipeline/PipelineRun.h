// "lumerra COMMAND --files-from LIST": the command over every listed file,
// each in a supervised worker process, one record (or the command's text)
// per input in the list's order.
#pragma once

#include "cli/CommandLine.h"
#include "cli/pipeline/PipelineOptions.h"

namespace lumerra::cli::pipeline {

// Returns the exit code: the worst of the files' (a file that timed out,
// ran out of memory or crashed counts as one that could not be read), 2 for
// a list or record file that cannot be read, 130 when interrupted.
int RunPipeline(const TArguments& Arguments, const TPipelineOptions& Options);

}  // namespace lumerra::cli::pipeline
