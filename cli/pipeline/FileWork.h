// One input of a pipeline run, in a worker process: its size and SHA-256,
// then the command the user named run on it alone, its output and messages
// kept for the parent, and its record's status and command keys made.
#pragma once

#include <functional>
#include <string>

#include "cli/CommandLine.h"
#include "cli/pipeline/Frame.h"

namespace lumerra::cli::pipeline {

// Frame 'S' (size, sha256: "" when the file cannot be read) as soon as the
// file is hashed, then frame 'D' (status, exit code, command keys as JSON or
// "", standard output, standard error).
void DoFile(const TArguments& Arguments, const std::string& Path, const std::function<void(const TFrame&)>& Tell);

}  // namespace lumerra::cli::pipeline
