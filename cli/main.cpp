// lumerra: the command-line tool. "info" prints a PDF file's structure,
// "decode" writes the report of its drawing commands, "check" checks them,
// "triage" counts the keywords that tell whether it acts.
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "cli/CheckCommand.h"
#include "cli/CommandLine.h"
#include "cli/DecodeCommand.h"
#include "cli/InfoCommand.h"
#include "cli/MessageText.h"
#include "cli/PasswordSource.h"
#include "cli/TriageCommand.h"
#include "cli/RevisionsCommand.h"
#include "cli/ShowCommand.h"
#include "cli/pipeline/PipelineOptions.h"
#include "cli/pipeline/PipelineRun.h"

using namespace lumerra::cli;

namespace {

int Run(const std::vector<std::string>& Args) {
    TArguments arguments;
    std::optional<pipeline::TPipelineOptions> listed;
    try {
        std::vector<std::string> args = Args;
        listed = pipeline::TakePipelineOptions(args);
        arguments = ParseArguments(args);
        if (listed) pipeline::CheckPipelineArguments(arguments, *listed);
    } catch (const EUsageError& e) {
        std::cerr << "lumerra: " << e.what() << '\n' << UsageText;
        return ExitUsage;
    }
    if (arguments.Command != TCommand::Help && arguments.Command != TCommand::Version) {
        try {
            const std::optional<std::string> password =
                ResolvePassword(arguments.PasswordSource, std::getenv(PasswordVariable));
            (arguments.Command == TCommand::Decode  ? arguments.Decode.Password
             : arguments.Command == TCommand::Check ? arguments.Check.Password
             : arguments.Command == TCommand::Show  ? arguments.Show.Password
                                                    : arguments.Password) = password;
        } catch (const EPasswordFileError& e) {
            std::cerr << ErrorLine(arguments.PasswordSource.File.value_or(""), e);
            return ExitUsage;
        }
    }
    if (listed) return pipeline::RunPipeline(arguments, *listed);
    switch (arguments.Command) {
        case TCommand::Help:
            std::cout << HelpText << pipeline::PipelineHelpText;
            return CheckStandardOutput(std::cout, std::cerr);
        case TCommand::Version:
            std::cout << VersionText;
            return CheckStandardOutput(std::cout, std::cerr);
        case TCommand::Info:
            return RunInfo(arguments.Inputs, arguments.Extended, arguments.Json, std::cout, std::cerr,
                           arguments.Password, arguments.Revision);
        case TCommand::Decode:
            return RunDecode(arguments.Decode, std::cerr);
        case TCommand::Triage:
            return RunTriage(arguments.Inputs, arguments.Json, std::cout, std::cerr, arguments.Password);
        case TCommand::Check:
            return RunCheck(arguments.Check, std::cout, std::cerr);
        case TCommand::Revisions:
            return RunRevisions(arguments.Inputs, arguments.Json, std::cout, std::cerr, arguments.Password);
        case TCommand::Show:
            return RunShow(arguments.Show, std::cout, std::cerr);
    }
    return ExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    // A file-size limit then shows as a write error with its reason, not as
    // a silent end of the process.
    std::signal(SIGXFSZ, SIG_IGN);
    UseUserLocale();
    const int exitCode = Run(std::vector<std::string>(argv + 1, argv + argc));
    // What could not be told on standard error is still a failure.
    std::cerr.flush();
    return exitCode == ExitOk && !std::cerr ? ExitFailed : exitCode;
}
