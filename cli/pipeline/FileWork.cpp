#include "cli/pipeline/FileWork.h"

#include <sstream>

#include "cli/CheckCommand.h"
#include "cli/DecodeCommand.h"
#include "cli/DiagnosticText.h"
#include "cli/FileDriver.h"
#include "cli/InfoCommand.h"
#include "cli/JsonLines.h"
#include "cli/RevisionsCommand.h"
#include "cli/ShowCommand.h"
#include "cli/TriageCommand.h"
#include "cli/pipeline/FileDigest.h"
#include "cli/pipeline/FileStatus.h"
#include "cli/pipeline/PipelineOptions.h"
#include "common/Exceptions.h"

namespace lumerra::cli::pipeline {

namespace {

bool AboutEncryption(TMessageCode Code) {
    switch (Code) {
        case TMessageCode::EncryptionDamaged:
        case TMessageCode::UnsupportedHandler:
        case TMessageCode::UnsupportedMethod:
        case TMessageCode::PermsMissing:
        case TMessageCode::PermsMismatch:
        case TMessageCode::WrongPassword: return true;
        default: return false;
    }
}

// What the command printed for the file as JSON: its one object (info,
// triage, revisions), or all its lines (check, show).
TJson PrintedKeys(TCommand Command, const std::string& Out) {
    TJson lines = TJson::array();
    std::istringstream in(Out);
    for (std::string line; std::getline(in, line);)
        if (TJson value = TJson::parse(line, nullptr, false); !value.is_discarded()) lines.push_back(std::move(value));
    if (Command == TCommand::Check || Command == TCommand::Show) return lines;
    return lines.empty() ? TJson(nullptr) : lines.front();
}

// The run of one file, as its watch saw it.
struct TWatched {
    bool Told = false;
    TFileFacts Facts;
    TJson DecodeKeys;  // {"report", "diagnostics"} or the error
};

}  // namespace

void DoFile(const TArguments& Arguments, const std::string& Path, const std::function<void(const TFrame&)>& Tell) {
    const std::optional<TFileDigest> digest = DigestFile(Path);
    Tell({'S', {digest ? std::to_string(digest->Size) : "", digest ? digest->Sha256 : ""}});

    TArguments one = Arguments;
    // The workers are the run's parallelism: each file on one thread.
    one.Inputs = {Path};
    one.Decode.Inputs = {Path};
    one.Decode.Jobs = 1;
    one.Decode.Quiet = true;
    one.Check.Inputs = {Path};
    one.Check.Jobs = 1;
    one.Show.Input = Path;
    TWatched watched;
    const TFileWatch watch = [&](const TFileEnd& End) {
        watched.Told = true;
        TFileFacts& facts = watched.Facts;
        facts.Failed = End.Error != nullptr || End.Run.Failed();
        facts.Encrypted = End.Run.Encrypted();
        for (const TDiagnostic& diagnostic : End.Run.Diagnostics()) {
            if (diagnostic.Severity == TDiagnosticSeverity::Warning) facts.Diagnostics = true;
            if (AboutEncryption(diagnostic.Message.Code)) facts.Encrypted = true;
        }
        facts.Findings = End.Outcome == TFileOutcome::Findings;
        if (one.Command != TCommand::Decode) return;
        if (End.Error != nullptr)
            watched.DecodeKeys = TJson::parse(ErrorJson(Path, *End.Error, End.Run.Diagnostics()), nullptr, false);
        else
            watched.DecodeKeys = {{"report", OutputNameFor(one.Decode, Path)},
                                  {"diagnostics", DiagnosticsJson(End.Run.Diagnostics())}};
    };

    std::ostringstream out, err;
    int exitCode = ExitOk;
    switch (one.Command) {
        case TCommand::Info:
            exitCode = RunInfo(one.Inputs, one.Extended, one.Json, out, err, one.Password, one.Revision, watch);
            break;
        case TCommand::Decode: exitCode = RunDecode(one.Decode, err, watch); break;
        case TCommand::Triage: exitCode = RunTriage(one.Inputs, one.Json, out, err, one.Password, watch); break;
        case TCommand::Check: exitCode = RunCheck(one.Check, out, err, watch); break;
        case TCommand::Revisions: exitCode = RunRevisions(one.Inputs, one.Json, out, err, one.Password, watch); break;
        case TCommand::Show: exitCode = RunShow(one.Show, out, err, watch); break;
        default: exitCode = ExitUsage; break;
    }
    // A run that failed before the file was read (its output folder, say)
    // failed the file.
    if (!watched.Told && exitCode != ExitOk) watched.Facts.Failed = true;

    std::string keys;
    if (JsonAsked(one)) {
        const TJson printed = one.Command == TCommand::Decode ? watched.DecodeKeys : PrintedKeys(one.Command, out.str());
        keys = Dump(printed);
    }
    Tell({FinalFrame,
          {std::string(StatusName(StatusOf(watched.Facts))), std::to_string(exitCode), keys, out.str(), err.str()}});
}

}  // namespace lumerra::cli::pipeline
