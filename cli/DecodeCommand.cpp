#include "cli/DecodeCommand.h"

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <optional>

#include "cli/Interrupt.h"
#include "cli/ProgressBar.h"
#include "cli/TempFolder.h"
#include "common/Stream.h"
#include "decoder/PDFLumerra.h"
#include "pdf/PDFAnalyst.h"

namespace lumerra::cli {

namespace {

const char* const MsgCancelled = "キャンセルされました。";

// Copies a finished report to standard output.
void CopyToStdout(const std::string& Path) {
    TFileStream report(Path, TFileStream::TMode::OpenRead);
    constexpr int32_t ChunkSize = 64 * 1024;
    const auto chunk = std::make_unique_for_overwrite<char[]>(ChunkSize);
    for (;;) {
        const int32_t n = report.Read(chunk.get(), ChunkSize);
        if (n <= 0) break;
        if (std::fwrite(chunk.get(), 1, static_cast<size_t>(n), stdout) != static_cast<size_t>(n))
            throw EWriteError("Cannot write to standard output");
    }
    if (std::fflush(stdout) != 0) throw EWriteError("Cannot write to standard output");
}

}  // namespace

int RunDecode(const TDecodeArgs& Args, std::ostream& Err) {
    try {
        TPDFAnalyst analyst;
        analyst.LoadFromFile(Args.Input);
        TPDFLumerra decoder(&analyst);  // refuses encrypted files

        const bool toStdout = Args.Output == "-";
        // The decoder writes a named file (and deletes it when cancelled), so
        // standard output gets a copy of a private temporary one.
        std::optional<TTempFolder> temp;
        if (toStdout) temp.emplace();
        const std::string output =
            toStdout ? temp->Path("report.txt") : Args.Output.empty() ? DefaultOutputName(Args.Input) : Args.Output;
        // By default every page the page tree lists, whatever its /Count says.
        TPageRange pages{1, 0};
        if (Args.Pages) {
            pages = *Args.Pages;
        } else {
            TIDList list;
            analyst.GetPageList(&list);
            pages.Last = static_cast<int32_t>(list.size());
        }

        TProgressBar bar(stderr, !Args.Quiet && ::isatty(STDERR_FILENO) == 1);
        // A progress routine is always given: the decoder only looks for a
        // cancel request when there is one.
        const TDecodeProgressProc progress = [&bar](int32_t Min, int32_t Max, int32_t Position, bool Done) {
            bar.Update(Min, Max, Position, Done);
        };
        TInterruptGuard interrupt;
        decoder.EscapeKeyQuery = [] { return TakeInterrupt(); };
        bool cancel = false;
        decoder.DecodeToFile(output, pages.First, pages.Last, Args.WithComments, progress, cancel);
        if (cancel) {
            Err << MsgCancelled << '\n';
            return ExitInterrupted;
        }
        if (toStdout) CopyToStdout(output);
    } catch (const Exception& e) {
        Err << e.Detailed() << '\n';
        return ExitFailed;
    } catch (const std::exception& e) {
        Err << e.what() << '\n';
        return ExitFailed;
    }
    return ExitOk;
}

}  // namespace lumerra::cli
