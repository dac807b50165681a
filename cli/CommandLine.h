// The arguments of the command-line tool.
#pragma once

#include <climits>
#include <cstdint>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/PasswordSource.h"
#include "cli/ShowCommand.h"

namespace lumerra::cli {

// Exit codes of the tool.
// ExitFindings: check found at least one error in the content.
enum TExitCode : int { ExitOk = 0, ExitFailed = 1, ExitUsage = 2, ExitFindings = 3, ExitInterrupted = 130 };

// The exit code of a run of which A and B are parts: an interruption, then
// wrong usage, then a failure, then findings.
int WorseExitCode(int A, int B);

// Wrong usage: the tool prints the message and the short usage text.
class EUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TPageRange {
    // Last for "to the last page", as in "5-".
    static constexpr int32_t ToLastPage = INT32_MAX;
    int32_t First = 1;
    int32_t Last = 1;
};

// The pages of a run over Count pages: all of them, or Asked with "to the
// last page" made the number of the last one. A range beyond them is
// refused (Exception, page-range-invalid).
TPageRange ResolvePageRange(const std::optional<TPageRange>& Asked, int32_t Count);

struct TDecodeArgs {
    std::vector<std::string> Inputs;
    std::string Output;  // "-" for standard output; empty for the default
    std::string OutputDir;  // several inputs: DIR/<name>.txt (or .json) each
    bool WithComments = true;
    bool Quiet = false;
    bool Extended = false;
    bool Json = false;
    bool JsonData = false;  // the decoded bytes too
    // -j N: worker processes spread over the files when there are several,
    // threads over the pages of the one file otherwise; 0 for one per core.
    int32_t Jobs = 0;
    std::optional<std::string> Password;  // tried after the empty one (extended reading); see TArguments
    std::optional<TPageRange> Pages;  // all pages when absent
    std::optional<int32_t> Revision;  // --revision N: the document as revision N left it
};

struct TCheckArgs {
    std::vector<std::string> Inputs;
    bool Json = false;
    std::optional<std::string> Password;  // see TArguments
    std::optional<TPageRange> Pages;  // all pages when absent
    std::optional<int32_t> Revision;  // the whole file when absent
    // -j N: threads over the pages of each file; 0 for one per core.
    int32_t Jobs = 0;
    // What is checked: the pages' content (the default), the objects
    // against the object model (--objects), or both.
    bool Content = false;
    bool Objects = false;
    bool Stats = false;  // --stats: the object check's counts per file
};

enum class TCommand { Help, Version, Info, Decode, Triage, Check, Revisions, Show };

struct TArguments {
    TCommand Command = TCommand::Help;
    std::vector<std::string> Inputs;  // info, triage, revisions
    bool Extended = false;  // info
    bool Json = false;  // info, triage, revisions
    std::optional<int32_t> Revision;  // info
    std::optional<std::string> Password;  // info, triage, revisions
    TDecodeArgs Decode;
    TCheckArgs Check;
    TShowArgs Show;
    // What the options say about the password of either command; the caller
    // resolves it (ResolvePassword) into Password, Decode.Password,
    // Check.Password or Show.Password.
    TPasswordSource PasswordSource;
};

// Raises EUsageError for anything it does not understand.
TArguments ParseArguments(const std::vector<std::string>& Args);
// A revision number (from 1); raises EUsageError otherwise.
int32_t ParseRevision(const std::string& Text);
// "N", "A-B", "A-" or "-B" (from 1); raises EUsageError otherwise.
TPageRange ParsePageRange(const std::string& Text);
// The report's default name: the input with ".pdf" replaced by ".txt", or
// ".txt" appended when the input does not end in ".pdf".
std::string DefaultOutputName(const std::string& Input);
// Where the report of Input goes for these arguments: -o, the output folder,
// or the default name.
std::string OutputNameFor(const TDecodeArgs& Args, const std::string& Input);

// "lumerra: FILE: message (context)" and a line end: how every failure
// that concerns a file is told.
std::string ErrorLine(const std::string& File, const std::exception& Error);

// After the default reading refused to load Input: a line that says that
// extended reading loads it, or "" when it does not either.
std::string ExtendedReadingHint(const std::string& Input);

// Flushes Out (standard output) and tells on Err when anything written to it
// was lost, e.g. to a full disk. Returns the exit code.
int CheckStandardOutput(std::ostream& Out, std::ostream& Err);

extern const char* const UsageText;
extern const char* const HelpText;
extern const char* const VersionText;

}  // namespace lumerra::cli
