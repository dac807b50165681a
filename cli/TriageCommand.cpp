#include "cli/TriageCommand.h"

#include "cli/CommandLine.h"
#include "cli/FileDriver.h"
#include "cli/TriageReport.h"
#include "common/Exceptions.h"
#include "triage/Triage.h"

namespace lumerra::cli {

int RunTriage(const std::vector<std::string>& Inputs, bool Json, std::ostream& Out, std::ostream& Err,
              const std::optional<std::string>& Password, const TFileWatch& Watch) {
    bool first = true;
    TFileDriver driver({true, Password, std::nullopt, Json ? &Out : nullptr, false, Watch}, Err);
    const int exitCode = driver.Run(Inputs, [&](TFileRun& Run) {
        // A file that cannot be read at all fails; one that extended reading
        // cannot load still gets its raw counts.
        TTriage triage{Run.Input(), CountRawKeywords(Run.Input()), std::nullopt, {}, {}};
        try {
            triage.Objects = ScanNameKeywords(Run.Load());
            Run.TellLateRepairs();
        } catch (const Exception& e) {
            triage.Error = e.Text();
            triage.Context = e.Context();
            Run.Fail(e);
        }
        if (!Json && !first) Out << "\n";
        Out << (Json ? FormatTriageJson(triage, Run.Diagnostics()) : FormatTriageText(triage));
        first = false;
        return TFileOutcome::Done;
    });
    const int written = CheckStandardOutput(Out, Err);
    return written != ExitOk ? written : exitCode;
}

}  // namespace lumerra::cli
