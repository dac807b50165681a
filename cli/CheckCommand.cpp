#include "cli/CheckCommand.h"

#include <algorithm>
#include <thread>

#include <nlohmann/json.hpp>


#include "check/NoPages.h"
#include "history/AnalystObjectSource.h"
#include "check/PageRun.h"
#include "cli/DiagnosticText.h"
#include "cli/FileDriver.h"
#include "cli/FindingText.h"
#include "cli/Interrupt.h"
#include "cli/JsonLines.h"
#include "cli/MessageText.h"
#include "cli/ObjectCheckText.h"
#include "common/Exceptions.h"
#include "pdf/PDFAnalyst.h"

namespace lumerra::cli {

namespace {

// One JSON Lines value.
std::string Line(const TJson& Value) { return Dump(Value) + "\n"; }

// Writes one file's findings as they come, page by page.
class TFileCheck {
public:
    TFileCheck(const TCheckArgs& Args, TFileRun& Run, std::ostream& Out, const objects::TModel* Model)
        : FArgs(Args), FRun(Run), FInput(Run.Input()), FOut(Out), FModel(Model) {}

    TFileOutcome Check() {
        TPDFAnalyst& analyst = FRun.Load();
        if (FArgs.Content && !CheckContent(analyst)) return TFileOutcome::Interrupted;
        if (FArgs.Objects && !CheckObjects(analyst)) return TFileOutcome::Interrupted;
        // Objects found elsewhere while the pages were read.
        FRun.TellLateRepairs();
        if (FArgs.Json) {
            TJson counts = TJson::object();
            for (size_t s = 0; s < check::SeverityCount; ++s)
                counts[std::string(check::SeverityName(static_cast<check::TSeverity>(s)))] = FCounts.Counts[s];
            FOut << Line({{"file", FInput}, {"counts", counts}, {"diagnostics", DiagnosticsJson(FRun.Diagnostics())}});
        } else {
            FOut << FInput << ": " << CountsText(FCounts) << '\n';
        }
        if (FStats) FOut << (FArgs.Json ? ObjectStatsJson(FInput, *FStats) : ObjectStatsText(FInput, *FStats));
        return FCounts[check::TSeverity::Error] > 0 ? TFileOutcome::Findings : TFileOutcome::Done;
    }

private:
    bool CheckContent(TPDFAnalyst& Analyst) {
        TIDList pages;
        Analyst.GetPageList(&pages);
        TObjectReader reader(Analyst);
        if (pages.empty()) {
            WriteNoPages(reader);
        } else {
            const TPageRange range = ResolvePageRange(FArgs.Pages, static_cast<int32_t>(pages.size()));
            TInterruptGuard interrupt;
            const auto cores = static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
            // Streams not decoded whole are findings of their own.
            const bool done = check::CheckPagesOnThreads(
                reader, pages, range.First, range.Last, FArgs.Jobs > 0 ? FArgs.Jobs : cores,
                [this](const check::TPageFindings& Page) { Write(Page); }, [](int32_t) { return !TakeInterrupt(); });
            if (!done) return false;
        }
        return true;
    }

    // The objects against the model; their findings counted with the
    // content's, severity by severity.
    bool CheckObjects(TPDFAnalyst& Analyst) {
        TAnalystObjectSource source(Analyst);
        objects::TObjectChecker checker(*FModel, source, objects::FactsOf(Analyst));
        TInterruptGuard interrupt;
        const bool done = checker.Run(
            [this](const objects::TObjectFinding& Finding) {
                ++FCounts.Counts[static_cast<size_t>(Finding.Severity)];
                FOut << (FArgs.Json ? ObjectFindingJson(FInput, Finding) : FInput + ": " + ObjectFindingText(Finding) + "\n");
            },
            [](int64_t) { return !TakeInterrupt(); });
        if (FArgs.Stats) FStats = checker.Stats();
        return done;
    }

    // A file with no page is no clean file: it says that nothing was checked.
    void WriteNoPages(TObjectReader& Reader) {
        check::TPageFindings file(0);
        check::TFinding finding;
        finding.Code = check::TFindingCode::NoPages;
        finding.Message = check::NoPagesReason(Reader);
        file.Add(std::move(finding));
        Write(file);
    }

    void Write(const check::TPageFindings& Page) {
        FCounts.Add(Page);
        for (const check::TFinding& finding : Page.Kept())
            FOut << (FArgs.Json ? FindingJson(FInput, finding) : FInput + ": " + FindingText(finding) + "\n");
        if (Page.Omitted() == 0) return;
        if (FArgs.Json)
            FOut << Line({{"file", FInput}, {"page", Page.Page()}, {"omitted", Page.Omitted()}});
        else
            FOut << FInput << ": " << OmittedText(Page.Page(), Page.Omitted()) << '\n';
    }

    const TCheckArgs& FArgs;
    TFileRun& FRun;
    const std::string& FInput;
    std::ostream& FOut;
    const objects::TModel* FModel;
    check::TSeverityCounts FCounts;
    std::optional<objects::TObjectStats> FStats;
};

}  // namespace

std::string FindingJson(const std::string& File, const check::TFinding& Finding) {
    const auto orNull = [](bool Present, const auto& Value) { return Present ? TJson(Value) : TJson(nullptr); };
    TJson line = {
        {"file", File},
        {"page", Finding.Page},
        {"object", orNull(Finding.Object >= 0, Finding.Object)},
        {"form", orNull(!Finding.Form.empty(), Finding.Form)},
        {"offset", orNull(Finding.Offset >= 0, Finding.Offset)},
        {"operator", orNull(!Finding.Operator.empty(), Finding.Operator)},
        {"severity", check::SeverityName(Finding.Severity)},
        {"code", check::CodeName(Finding.Code)},
        {"message", Sentence(Finding.Message)},
        {"message-code", CodeName(Finding.Message.Code)},
    };
    // Why a stream went unchecked, as a code too, so scripts never parse it.
    if (!Finding.Message.Reasons.empty()) line["reason-code"] = CodeName(Finding.Message.Reasons.front().Code);
    if (Finding.OperandOffset >= 0) line["operand-offset"] = Finding.OperandOffset;
    if (Finding.Stream != check::TStreamKind::None)
        line["stream"] = std::string(check::StreamKindName(Finding.Stream)) + " " + Finding.StreamName;
    return Line(line);
}

int RunCheck(const TCheckArgs& Args, std::ostream& Out, std::ostream& Err, const TFileWatch& Watch) {
    // Files are read as extended reading reads them.
    TFileDriver driver({true, Args.Password, Args.Revision, Args.Json ? &Out : nullptr, false, Watch}, Err);
    // The model's tables are read once for all the files.
    std::optional<objects::TModel> model;
    if (Args.Objects) model.emplace();
    const objects::TModel* tables = model ? &*model : nullptr;
    const int exitCode =
        driver.Run(Args.Inputs, [&](TFileRun& Run) { return TFileCheck(Args, Run, Out, tables).Check(); });
    if (exitCode == ExitInterrupted) return exitCode;
    const int written = CheckStandardOutput(Out, Err);
    return written != ExitOk ? written : exitCode;
}

}  // namespace lumerra::cli
