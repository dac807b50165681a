// lumerra: the command-line tool. "info" prints a PDF file's structure,
// "decode" writes the report of its drawing commands.
#include <iostream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/DecodeCommand.h"
#include "cli/InfoCommand.h"

using namespace lumerra::cli;

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    TArguments arguments;
    try {
        arguments = ParseArguments(args);
    } catch (const EUsageError& e) {
        std::cerr << "lumerra: " << e.what() << '\n' << UsageText;
        return ExitUsage;
    }
    switch (arguments.Command) {
        case TCommand::Help:
            std::cout << HelpText;
            return ExitOk;
        case TCommand::Info:
            return RunInfo(arguments.Input, std::cout, std::cerr);
        case TCommand::Decode:
            return RunDecode(arguments.Decode, std::cerr);
    }
    return ExitUsage;
}
