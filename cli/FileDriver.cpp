#include "cli/FileDriver.h"

#include "cli/CommandLine.h"
#include "cli/DiagnosticText.h"
#include "cli/JsonLines.h"
#include "cli/RevisionOption.h"
#include "pdf/Diagnostics.h"
#include "pdf/ExtendedAnalyst.h"

namespace lumerra::cli {

TPDFAnalyst& TFileRun::Load() {
    if (FReading.TableOnly) {
        auto tableOnly = std::make_unique<TExtendedAnalyst>();
        tableOnly->ReadTableOnly();
        FAnalyst = std::move(tableOnly);
    } else {
        FAnalyst = NewAnalyst(ReadingFor(FReading.Extended));
    }
    FAnalyst->SetPassword(FReading.Password);
    try {
        LoadDocument(*FAnalyst, FInput, FReading.Revision, FReading.Password);
    } catch (const ERevisionOutOfRange&) {
        throw;
    } catch (...) {
        FLoadFailed = true;
        throw;
    }
    for (TDiagnostic& diagnostic : LoadDiagnostics(*FAnalyst)) Tell(std::move(diagnostic));
    return *FAnalyst;
}

void TFileRun::Tell(TDiagnostic Diagnostic) {
    if (FReading.Revision && Diagnostic.Revision < 0) Diagnostic.Revision = *FReading.Revision;
    if (FAnalyst && Diagnostic.Object >= 0 && Diagnostic.Generation < 0)
        Diagnostic.Generation = FAnalyst->TableGeneration(Diagnostic.Object);
    FErr << DiagnosticLine(FInput, Diagnostic);
    FDiagnostics.push_back(std::move(Diagnostic));
}

void TFileRun::TellLateRepairs() {
    if (!FAnalyst) return;
    const TDiagnostics late = MisplacedDiagnostics(FAnalyst->MisplacedAfterLoad());
    for (; FLateRepairsTold < late.size(); ++FLateRepairsTold) Tell(late[FLateRepairsTold]);
}

void TFileRun::Fail(const std::exception& Error) {
    FFailed = true;
    TDiagnostic diagnostic = ErrorDiagnostic(Error);
    if (FReading.Revision) diagnostic.Revision = *FReading.Revision;
    FDiagnostics.push_back(std::move(diagnostic));
    FErr << ErrorLine(FCulprit, Error);
}

int TFileDriver::Run(const std::vector<std::string>& Inputs, const TFileWork& Work) {
    for (const std::string& input : Inputs)
        if (!RunFile(input, Work)) break;
    return FExitCode;
}

bool TFileDriver::RunFile(const std::string& Input, const TFileWork& Work) {
    TFileRun run(FReading, Input, FErr);
    try {
        const TFileOutcome outcome = Work(run);
        if (outcome == TFileOutcome::Interrupted) {
            FErr << ErrorLine(Input, Exception(TMessageCode::Cancelled));
            FExitCode = ExitInterrupted;
            return false;
        }
        if (run.Failed()) FExitCode = WorseExitCode(FExitCode, ExitFailed);
        if (outcome == TFileOutcome::Findings) FExitCode = WorseExitCode(FExitCode, ExitFindings);
        if (FReading.Watch) FReading.Watch({run, nullptr, outcome});
    } catch (const ERevisionOutOfRange& e) {
        // Wrong usage: told, and nothing is written for the file.
        FErr << ErrorLine(Input, e);
        FExitCode = WorseExitCode(FExitCode, ExitUsage);
        if (FReading.Watch) FReading.Watch({run, &e, TFileOutcome::Done});
    } catch (const std::exception& e) {
        run.Fail(e);
        if (!FReading.Extended && run.LoadFailed()) FErr << ExtendedReadingHint(Input);
        if (FReading.JsonErrors != nullptr) *FReading.JsonErrors << ErrorJson(Input, e, run.Diagnostics());
        FExitCode = WorseExitCode(FExitCode, ExitFailed);
        if (FReading.Watch) FReading.Watch({run, &e, TFileOutcome::Done});
    }
    return true;
}

}  // namespace lumerra::cli
