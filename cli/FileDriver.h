// One way for every command to go through its files: each is loaded as the
// command reads files (reading, password, revision), what the load repaired
// is told, a failure is told and the next file is still done, and the exit
// code says the worst that happened.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "common/Diagnostic.h"
#include "pdf/PDFAnalyst.h"

namespace lumerra::cli {

class TFileRun;
enum class TFileOutcome;

// How the run of one file ended, for a caller that keeps a record of each
// file (pipeline mode).
struct TFileEnd {
    const TFileRun& Run;
    const std::exception* Error;  // what stopped the file's reading, if anything
    TFileOutcome Outcome;
};
using TFileWatch = std::function<void(const TFileEnd&)>;

// How a command reads each of its files.
struct TLoadOptions {
    bool Extended = true;
    std::optional<std::string> Password;
    std::optional<int32_t> Revision;  // the whole file when absent
    // Where a file that fails gets its {"file", "error", ...} line; nowhere
    // when null.
    std::ostream* JsonErrors = nullptr;
    // Only the table, for what needs no more than the file's structure: see
    // TExtendedAnalyst::ReadTableOnly.
    bool TableOnly = false;
    // Told at the end of each file that was not interrupted.
    TFileWatch Watch;
};

// One file of a run, as a command's work sees it.
class TFileRun {
public:
    TFileRun(const TLoadOptions& Reading, std::string Input, std::ostream& Err)
        : FReading(Reading), FInput(std::move(Input)), FCulprit(FInput), FErr(Err) {}

    const std::string& Input() const { return FInput; }
    // Loads the document as the reading says and tells what the load
    // repaired. Raises what the load raises; ERevisionOutOfRange for a
    // revision the file does not have.
    TPDFAnalyst& Load();
    // Tells Diagnostic on standard error and keeps it.
    void Tell(TDiagnostic Diagnostic);
    // Keeps the error that stopped this file's reading and tells it on
    // standard error; the file has failed, though the work goes on (triage
    // still gives its raw counts).
    void Fail(const std::exception& Error);
    // Tells the objects that readers of the loaded document found elsewhere
    // than the table said, since the last call.
    void TellLateRepairs();
    // Everything told about the file so far.
    const TDiagnostics& Diagnostics() const { return FDiagnostics; }
    // From now on a failure is about File (the report being written), not
    // the input.
    void Blame(std::string File) { FCulprit = std::move(File); }
    const std::string& Culprit() const { return FCulprit; }
    bool LoadFailed() const { return FLoadFailed; }
    bool Failed() const { return FFailed; }
    // The file turned out to be encrypted (its reading may have failed).
    bool Encrypted() const { return FAnalyst && FAnalyst->Encrypted(); }

private:
    const TLoadOptions& FReading;
    std::string FInput;
    std::string FCulprit;
    std::ostream& FErr;
    std::unique_ptr<TPDFAnalyst> FAnalyst;
    TDiagnostics FDiagnostics;
    size_t FLateRepairsTold = 0;
    bool FLoadFailed = false;
    bool FFailed = false;
};

// What a command's work says about one file that it read.
enum class TFileOutcome { Done, Findings, Interrupted };

using TFileWork = std::function<TFileOutcome(TFileRun&)>;

class TFileDriver {
public:
    TFileDriver(TLoadOptions Reading, std::ostream& Err) : FReading(std::move(Reading)), FErr(Err) {}

    // Runs Work on each input in turn; a file that fails is told and the
    // others are still done, an interrupted one ends the run at once.
    // Returns the exit code.
    int Run(const std::vector<std::string>& Inputs, const TFileWork& Work);

private:
    // False when the run must stop.
    bool RunFile(const std::string& Input, const TFileWork& Work);

    TLoadOptions FReading;
    std::ostream& FErr;
    int FExitCode = 0;
};

}  // namespace lumerra::cli
