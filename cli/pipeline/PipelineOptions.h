// The options of a pipeline run (--files-from and what goes with it), taken
// out of the command line before the command's own options are read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/pipeline/Shard.h"
#include "cli/pipeline/Supervisor.h"

namespace lumerra::cli::pipeline {

struct TPipelineOptions {
    std::string FilesFrom;  // "-" for standard input
    char Separator = '\n';  // '\0' with -0
    int32_t Jobs = 1;  // worker processes
    TLimits Limits;
    std::optional<TShard> Shard;
    std::string Resume;  // the record file appended to; "" for standard output
};

// The input the command's own parser is given in place of the list's paths.
inline constexpr const char* ListedInputs = "files-from";

// With --files-from among Args (after the command word, before "--"),
// takes out --files-from, -0, --timeout, --max-memory, --shard, --resume
// and -j/--jobs/--threads, puts ListedInputs in their place as the
// command's input, and returns them. Nothing without --files-from;
// EUsageError for a pipeline option without it or a value that does not
// parse.
std::optional<TPipelineOptions> TakePipelineOptions(std::vector<std::string>& Args);

// EUsageError unless Arguments (parsed after TakePipelineOptions) fit a
// pipeline run: a command that reads files, no other input, no -o, and
// --json where the records go to a resumed file.
void CheckPipelineArguments(const TArguments& Arguments, const TPipelineOptions& Options);

// Whether Arguments ask for JSON.
bool JsonAsked(const TArguments& Arguments);

extern const char* const PipelineHelpText;

}  // namespace lumerra::cli::pipeline
