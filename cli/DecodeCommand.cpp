#include "cli/DecodeCommand.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <thread>

#include "cli/FileDriver.h"
#include "cli/Interrupt.h"
#include "cli/JsonReport.h"
#include "cli/ProgressBar.h"
#include "cli/Workers.h"
#include "common/OutputFile.h"
#include "common/SystemError.h"
#include "decoder/PDFLumerra.h"
#include "decoder/TextReportSink.h"
#include "pdf/Diagnostics.h"
#include "pdf/PDFAnalyst.h"

namespace lumerra::cli {

namespace {

// Decodes the loaded file of Run into the report OutputNameFor names.
TFileOutcome DecodeFile(const TDecodeArgs& Args, TFileRun& Run) {
    const std::string& input = Run.Input();
    const std::string outputName = OutputNameFor(Args, input);
    TPDFAnalyst& analyst = Run.Load();
    TPDFLumerra decoder(&analyst);  // refuses encrypted files it could not open

    // By default every page the page tree lists, whatever its /Count says. A
    // range beyond the list is refused before any output exists.
    TIDList list;
    analyst.GetPageList(&list);
    const TPageRange pages = ResolvePageRange(Args.Pages, static_cast<int32_t>(list.size()));

    TTerminationGuard termination;
    Run.Blame(outputName == TOutputFile::StandardOutput ? "standard output" : outputName);
    TOutputFile output(outputName, analyst.Stream(), TTerminationGuard::RemoveOnSignal);
    Run.Blame(input);

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
        Run.Tell(StreamDamageDiagnostic(Page, Object, Damage));
    };
    // -j spreads several files over worker processes, each on one thread;
    // for one file it is the number of threads over its pages.
    const auto cores = static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
    decoder.Threads = Args.Inputs.size() > 1 && Args.Jobs > 1 ? 1 : Args.Jobs > 0 ? Args.Jobs : cores;
    bool cancel = false;
    try {
        // Every format goes through the same run: threads, progress,
        // cancelling and damage told alike. The JSON report ends with what
        // was told about the file, the objects found elsewhere included.
        const auto diagnostics = [&Run]() -> const TDiagnostics& {
            Run.TellLateRepairs();
            return Run.Diagnostics();
        };
        const std::unique_ptr<TReportSink> sink =
            Args.Json ? std::make_unique<TJsonReportSink>(output.Stream(), Args.JsonData, diagnostics)
                      : TextReportSink(output.Stream(), Args.WithComments, analyst.PageCount());
        if (!decoder.Run(*sink, pages.First, pages.Last, progress, cancel)) return TFileOutcome::Interrupted;
        output.Commit();
        // Objects found elsewhere while the pages were read.
        Run.TellLateRepairs();
    } catch (const EOutputWriteError&) {
        Run.Blame(output.DisplayName());
        throw;
    }
    return TFileOutcome::Done;
}

}  // namespace

int RunDecode(const TDecodeArgs& Args, std::ostream& Err, const TFileWatch& Watch) {
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
        return TFileDriver({args.Extended, args.Password, args.Revision, nullptr, false, Watch}, Err)
            .Run(Inputs, [&](TFileRun& Run) { return DecodeFile(args, Run); });
    });
}

}  // namespace lumerra::cli
