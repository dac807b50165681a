#include "cli/DecodeCommand.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <thread>

#include "cli/Interrupt.h"
#include "cli/JsonReport.h"
#include "cli/MessageText.h"
#include "cli/ProgressBar.h"
#include "cli/RevisionOption.h"
#include "cli/Workers.h"
#include "common/OutputFile.h"
#include "common/SystemError.h"
#include "decoder/PDFLumerra.h"
#include "decoder/TextReportSink.h"
#include "pdf/PDFAnalyst.h"

namespace lumerra::cli {

int RunDecodeFile(const TDecodeArgs& Args, const std::string& Input, std::ostream& Err) {
    const std::string outputName = OutputNameFor(Args, Input);
    // Which file a failure is about: the document until the output is open,
    // then the output for its own errors.
    std::string culprit = Input;
    bool loaded = false;
    try {
        const std::unique_ptr<TPDFAnalyst> owner = NewAnalyst(ReadingFor(Args.Extended));
        TPDFAnalyst& analyst = *owner;
        analyst.SetPassword(Args.Password);
        LoadDocument(analyst, Input, Args.Revision, Args.Password);
        loaded = true;
        Err << WarningLines(Input, analyst);
        TPDFLumerra decoder(&analyst);  // refuses encrypted files it could not open

        // By default every page the page tree lists, whatever its /Count
        // says. A range beyond the list is refused before any output exists.
        TIDList list;
        analyst.GetPageList(&list);
        const TPageRange pages = ResolvePageRange(Args.Pages, static_cast<int32_t>(list.size()));

        TTerminationGuard termination;
        culprit = outputName == TOutputFile::StandardOutput ? "standard output" : outputName;
        TOutputFile output(outputName, analyst.Stream(), TTerminationGuard::RemoveOnSignal);
        culprit = Input;

        TProgressBar bar(stderr, !Args.Quiet && ::isatty(STDERR_FILENO) == 1);
        // A progress routine is always given: the decoder only looks for a
        // cancel request when there is one.
        const TDecodeProgressProc progress = [&bar](int32_t Min, int32_t Max, int32_t Position, bool Done) {
            bar.Update(Min, Max, Position, Done);
        };
        TInterruptGuard interrupt;
        decoder.EscapeKeyQuery = [] { return TakeInterrupt(); };
        // Damaged data is told beside the report, never inside it.
        decoder.OnDamagedStream = [&](int32_t Page, int32_t Object, const TStreamDamage& Damage) {
            bar.Update(0, 100, 0, true);  // the bar's line is cleared first
            Err << "lumerra: " << Input << ": page " << Page << ", object " << Object;
            if (Damage.Fault == TStreamFault::NoEndKeyword)
                Err << ": " << Sentence(Damage.What) << '\n';
            else
                Err << ": data damaged after " << FormatThousands(Damage.BytesBefore) << " bytes: " << Sentence(Damage.What)
                    << '\n';
        };
        // -j spreads several files over worker processes, each on one
        // thread; for one file it is the number of threads over its pages.
        const auto cores = static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
        decoder.Threads = Args.Inputs.size() > 1 && Args.Jobs > 1 ? 1 : Args.Jobs > 0 ? Args.Jobs : cores;
        bool cancel = false;
        try {
            // Every format goes through the same run: threads, progress,
            // cancelling and damage told alike.
            const std::unique_ptr<TReportSink> sink =
                Args.Json ? std::make_unique<TJsonReportSink>(output.Stream(), Args.JsonData)
                          : TextReportSink(output.Stream(), Args.WithComments, analyst.PageCount());
            const bool done = decoder.Run(*sink, pages.First, pages.Last, progress, cancel);
            if (!done) {
                Err << ErrorLine(Input, Exception(TMessageCode::Cancelled));
                return ExitInterrupted;
            }
            output.Commit();
            // Objects found elsewhere while the pages were read.
            Err << MisplacedLines(Input, analyst.MisplacedAfterLoad());
        } catch (const EOutputWriteError&) {
            culprit = output.DisplayName();
            throw;
        }
    } catch (const ERevisionOutOfRange& e) {
        Err << ErrorLine(Input, e);
        return ExitUsage;
    } catch (const std::exception& e) {
        Err << ErrorLine(culprit, e);
        if (!Args.Extended && !loaded) Err << ExtendedReadingHint(Input);
        return ExitFailed;
    }
    return ExitOk;
}

int RunDecode(const TDecodeArgs& Args, std::ostream& Err) {
    if (!Args.OutputDir.empty()) {
        std::error_code error;
        std::filesystem::create_directories(Args.OutputDir, error);
        if (error) {
            Err << ErrorLine(Args.OutputDir, Exception(TMessageCode::CannotCreateFolder, SystemErrorText(error.value())));
            return ExitFailed;
        }
    }
    // Progress bars of several workers would write over each other.
    TDecodeArgs args = Args;
    if (args.Jobs > 1 && args.Inputs.size() > 1) args.Quiet = true;
    // Each file on its own: one that fails is told and the others are still
    // done; an interrupted one ends the run.
    return RunInWorkers(args.Inputs, args.Jobs, [&](const std::vector<std::string>& Inputs) {
        int exitCode = ExitOk;
        for (const std::string& input : Inputs) {
            const int code = RunDecodeFile(args, input, Err);
            if (code == ExitInterrupted) return code;
            if (code != ExitOk) exitCode = code;
        }
        return exitCode;
    });
}

}  // namespace lumerra::cli
