#include "cli/CommandLine.h"

#include <cerrno>
#include <cstring>

#include "common/Exceptions.h"
#include "common/StrUtils.h"
#include "pdf/PDFAnalyst.h"

namespace lumerra::cli {

const char* const UsageText =
    "Usage: lumerra info [--extended [--password PW]] FILE.pdf\n"
    "       lumerra decode [-o OUT] [--no-comments] [--pages A-B] [--quiet] [--extended [--password PW]] FILE.pdf\n"
    "       lumerra --help | --version\n";

const char* const HelpText =
    "lumerra - get the drawing commands out of a PDF file (PDF 1.0 to 1.4)\n"
    "\n"
    "lumerra info [--extended] FILE.pdf\n"
    "    Loads the file and prints its structure, one \"key: value\" line each:\n"
    "    file, version, objects, pages, root, info, pages-root, first-page,\n"
    "    outlines, metadata, struct-tree, encrypted, media-box, xref-offsets\n"
    "    (newest first) and page-list (page objects in document order); with\n"
    "    --extended also xref (table, stream or hybrid), object-streams and\n"
    "    objects-in-streams.\n"
    "\n"
    "lumerra decode [options] FILE.pdf\n"
    "    Decodes the content streams and Form XObjects of the pages into a\n"
    "    text report.\n"
    "    -o OUT          write the report to OUT (default: FILE.txt);\n"
    "                    \"-o -\" writes it to standard output\n"
    "    --no-comments   only the decoded bytes, without the \"%\" comment lines\n"
    "    --pages A-B     pages A to B (counted from 1, A <= B); --pages N for one page\n"
    "    --quiet         no progress bar\n"
    "    --extended      extended reading (see below)\n"
    "    --password PW   an encrypted file's user or owner password (extended)\n"
    "    The report is written beside OUT and takes its place only when the run\n"
    "    completes: a failed or interrupted run leaves a previous OUT as it was.\n"
    "    Ctrl-C stops after the page in progress. Devices and pipes are written\n"
    "    in place.\n"
    "\n"
    "lumerra --version\n"
    "    Prints the version.\n"
    "\n"
    "Extended reading (--extended) also reads PDF 1.5 to 2.0: cross-reference\n"
    "streams, object streams, and the LZW and RunLength filters with their\n"
    "predictors, and repairs damaged files (the object table rebuilt from the\n"
    "file itself, told on standard error), and opens encrypted files (standard\n"
    "security handler, RC4 and AES: the empty user password, or --password;\n"
    "info then tells encryption and password). A file that the default reading\n"
    "also reads gets the same report either way.\n"
    "\n"
    "Exit codes: 0 done, 1 the file could not be read or decoded (the reason\n"
    "on standard error), 2 wrong usage, 130 interrupted.\n";

const char* const VersionText = "lumerra " LUMERRA_VERSION "\n";

namespace {

int32_t PageNumber(const std::string& Text, const std::string& Range) {
    const int32_t number = StrToIntDef(Text, -1);
    if (Text.empty() || Text[0] < '0' || Text[0] > '9' || number < 0)
        throw EUsageError("invalid page range: " + Range);
    return number;
}

TDecodeArgs ParseDecode(const std::vector<std::string>& Args) {
    TDecodeArgs result;
    bool haveInput = false;
    bool optionsEnded = false;
    for (size_t i = 1; i < Args.size(); ++i) {
        const std::string& arg = Args[i];
        auto value = [&](const std::string& option) -> const std::string& {
            if (i + 1 >= Args.size()) throw EUsageError("option " + option + " needs a value");
            return Args[++i];
        };
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg == "-o") {
            result.Output = value(arg);
            if (result.Output.empty()) throw EUsageError("empty output name");
        } else if (!optionsEnded && arg == "--no-comments") {
            result.WithComments = false;
        } else if (!optionsEnded && arg == "--extended") {
            result.Extended = true;
        } else if (!optionsEnded && arg == "--password") {
            result.Password = value(arg);
        } else if (!optionsEnded && arg == "--quiet") {
            result.Quiet = true;
        } else if (!optionsEnded && arg == "--pages") {
            result.Pages = ParsePageRange(value(arg));
        } else if (!optionsEnded && arg.rfind("--pages=", 0) == 0) {
            result.Pages = ParsePageRange(arg.substr(8));
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            throw EUsageError("unknown option: " + arg);
        } else if (haveInput) {
            throw EUsageError("only one file can be decoded at a time");
        } else {
            result.Input = arg;
            haveInput = true;
        }
    }
    if (!haveInput) throw EUsageError("no PDF file given");
    return result;
}

}  // namespace

TPageRange ParsePageRange(const std::string& Text) {
    const size_t dash = Text.find('-');
    if (dash == std::string::npos) {
        const int32_t page = PageNumber(Text, Text);
        return {page, page};
    }
    const TPageRange range{PageNumber(Text.substr(0, dash), Text), PageNumber(Text.substr(dash + 1), Text)};
    if (range.Last < range.First) throw EUsageError("reversed page range: " + Text);
    return range;
}

std::string ErrorLine(const std::string& File, const std::exception& Error) {
    const auto* error = dynamic_cast<const Exception*>(&Error);
    return "lumerra: " + File + ": " + (error != nullptr ? error->Detailed() : std::string(Error.what())) + "\n";
}

std::string ExtendedReadingHint(const std::string& Input) {
    if (!ExtendedReadingLoads(Input)) return "";
    return "lumerra: " + Input + ": --extended reads this file\n";
}

std::string WarningLines(const std::string& Input, const TPDFAnalyst& Analyst) {
    std::string lines;
    for (const std::string& warning : Analyst.Warnings()) lines += "lumerra: " + Input + ": " + warning + "\n";
    return lines;
}

int CheckStandardOutput(std::ostream& Out, std::ostream& Err) {
    errno = 0;
    Out.flush();
    if (Out) return ExitOk;
    const int error = errno != 0 ? errno : EIO;
    Err << ErrorLine("standard output", Exception("書き込みに失敗しました。", std::strerror(error)));
    return ExitFailed;
}

std::string DefaultOutputName(const std::string& Input) {
    if (SameText(ExtractFileExt(Input), ".pdf")) return ChangeFileExt(Input, ".txt");
    return Input + ".txt";
}

TArguments ParseArguments(const std::vector<std::string>& Args) {
    TArguments result;
    if (Args.empty()) throw EUsageError("no command given");
    const std::string& command = Args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        result.Command = TCommand::Help;
    } else if (command == "--version") {
        result.Command = TCommand::Version;
    } else if (command == "info") {
        if (Args.size() == 2 && Args[1] == "--help") return result;
        std::vector<std::string> files;
        for (size_t i = 1; i < Args.size(); ++i) {
            if (Args[i] == "--extended")
                result.Extended = true;
            else if (Args[i] == "--password" && i + 1 >= Args.size())
                throw EUsageError("option --password needs a value");
            else if (Args[i] == "--password")
                result.Password = Args[++i];
            else if (Args[i].size() > 1 && Args[i][0] == '-')
                throw EUsageError("unknown option: " + Args[i]);
            else
                files.push_back(Args[i]);
        }
        if (files.size() != 1) throw EUsageError("info takes exactly one file");
        result.Command = TCommand::Info;
        result.Input = files.front();
    } else if (command == "decode") {
        if (Args.size() == 2 && Args[1] == "--help") return result;
        result.Command = TCommand::Decode;
        result.Decode = ParseDecode(Args);
    } else {
        throw EUsageError("unknown command: " + command);
    }
    return result;
}

}  // namespace lumerra::cli
