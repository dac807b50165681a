#include "cli/DecodeCommand.h"

#include <unistd.h>

#include "cli/Interrupt.h"
#include "cli/ProgressBar.h"
#include "common/OutputFile.h"
#include "decoder/PDFLumerra.h"
#include "pdf/PDFAnalyst.h"

namespace lumerra::cli {

namespace {

const char* const MsgCancelled = "キャンセルされました。";
const char* const MsgBadPages = "ページ番号の指定が不正です。";

}  // namespace

int RunDecode(const TDecodeArgs& Args, std::ostream& Err) {
    const std::string outputName =
        Args.Output.empty() ? DefaultOutputName(Args.Input) : Args.Output;
    // Which file a failure is about: the document until the output is open,
    // then the output for its own errors.
    std::string culprit = Args.Input;
    bool loaded = false;
    try {
        TPDFAnalyst analyst;
        analyst.SetExtendedReading(Args.Extended);
        analyst.SetPassword(Args.Password);
        analyst.LoadFromFile(Args.Input);
        loaded = true;
        Err << WarningLines(Args.Input, analyst);
        TPDFLumerra decoder(&analyst);  // refuses encrypted files it could not open

        // By default every page the page tree lists, whatever its /Count
        // says. A range beyond the list is refused before any output exists.
        TIDList list;
        analyst.GetPageList(&list);
        const TPageRange pages = Args.Pages.value_or(TPageRange{1, static_cast<int32_t>(list.size())});
        if (pages.First < 1 || pages.Last > static_cast<int64_t>(list.size())) throw Exception(MsgBadPages);

        TTerminationGuard termination;
        culprit = outputName == TOutputFile::StandardOutput ? "standard output" : outputName;
        TOutputFile output(outputName, analyst.Stream(), TTerminationGuard::RemoveOnSignal);
        culprit = Args.Input;

        TProgressBar bar(stderr, !Args.Quiet && ::isatty(STDERR_FILENO) == 1);
        // A progress routine is always given: the decoder only looks for a
        // cancel request when there is one.
        const TDecodeProgressProc progress = [&bar](int32_t Min, int32_t Max, int32_t Position, bool Done) {
            bar.Update(Min, Max, Position, Done);
        };
        TInterruptGuard interrupt;
        decoder.EscapeKeyQuery = [] { return TakeInterrupt(); };
        bool cancel = false;
        try {
            if (!decoder.DecodeToStream(output.Stream(), pages.First, pages.Last, Args.WithComments, progress,
                                        cancel)) {
                Err << ErrorLine(Args.Input, Exception(MsgCancelled));
                return ExitInterrupted;
            }
            output.Commit();
        } catch (const EOutputWriteError&) {
            culprit = output.DisplayName();
            throw;
        }
    } catch (const std::exception& e) {
        Err << ErrorLine(culprit, e);
        if (!Args.Extended && !loaded) Err << ExtendedReadingHint(Args.Input);
        return ExitFailed;
    }
    return ExitOk;
}

}  // namespace lumerra::cli
