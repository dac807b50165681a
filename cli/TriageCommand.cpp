#include "cli/TriageCommand.h"
#include "cli/JsonLines.h"

#include <nlohmann/json.hpp>

#include "cli/CommandLine.h"
#include "cli/MessageText.h"
#include "common/Exceptions.h"
#include "triage/Triage.h"
#include "triage/TriageReport.h"

namespace lumerra::cli {

int RunTriage(const std::vector<std::string>& Inputs, bool Json, std::ostream& Out, std::ostream& Err) {
    int exitCode = ExitOk;
    bool first = true;
    for (const std::string& input : Inputs) {
        TTriage triage;
        try {
            triage = TriageFile(input);
        } catch (const Exception& e) {
            Err << ErrorLine(input, e);
            if (Json) Out << ErrorJson(input, e);
            exitCode = ExitFailed;
            continue;
        }
        for (const TMessage& warning : triage.Warnings) Err << "lumerra: " << input << ": " << Sentence(warning) << "\n";
        if (!triage.Objects) {
            Err << ErrorLine(input, Exception(triage.Error, triage.Context));
            exitCode = ExitFailed;
        }
        if (!Json && !first) Out << "\n";
        Out << (Json ? FormatTriageJson(triage, Sentence) : FormatTriageText(triage));
        first = false;
    }
    const int written = CheckStandardOutput(Out, Err);
    return written != ExitOk ? written : exitCode;
}

}  // namespace lumerra::cli
