#include "cli/CheckCommand.h"

#include <algorithm>
#include <thread>

#include <nlohmann/json.hpp>

#include "check/NoPages.h"
#include "check/PageRun.h"
#include "cli/FindingText.h"
#include "cli/Interrupt.h"
#include "cli/JsonLines.h"
#include "cli/MessageText.h"
#include "cli/RevisionOption.h"
#include "common/Exceptions.h"
#include "pdf/PDFAnalyst.h"

namespace lumerra::cli {

namespace {

// One JSON Lines value.
std::string Line(const TJson& Value) { return Dump(Value) + "\n"; }

// Writes one file's findings as they come, page by page.
class TFileCheck {
public:
    TFileCheck(const TCheckArgs& Args, const std::string& Input, std::ostream& Out, std::ostream& Err)
        : FArgs(Args), FInput(Input), FOut(Out), FErr(Err) {}

    // False when interrupted.
    bool Run() {
        TPDFAnalyst analyst;
        analyst.SetExtendedReading(true);
        analyst.SetPassword(FArgs.Password);
        LoadDocument(analyst, FInput, FArgs.Revision, FArgs.Password);
        FErr << WarningLines(FInput, analyst);
        TIDList pages;
        analyst.GetPageList(&pages);
        TObjectReader reader(analyst);
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
        if (FArgs.Json) {
            TJson counts = TJson::object();
            for (size_t s = 0; s < check::SeverityCount; ++s)
                counts[std::string(check::SeverityName(static_cast<check::TSeverity>(s)))] = FCounts.Counts[s];
            FOut << Line({{"file", FInput}, {"counts", counts}});
        } else {
            FOut << FInput << ": " << CountsText(FCounts) << '\n';
        }
        return true;
    }

    bool HasErrors() const { return FCounts[check::TSeverity::Error] > 0; }

private:
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
    const std::string& FInput;
    std::ostream& FOut;
    std::ostream& FErr;
    check::TSeverityCounts FCounts;
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

int RunCheck(const TCheckArgs& Args, std::ostream& Out, std::ostream& Err) {
    bool failed = false, errors = false;
    for (const std::string& input : Args.Inputs) {
        try {
            TFileCheck file(Args, input, Out, Err);
            if (!file.Run()) {
                Err << ErrorLine(input, Exception(TMessageCode::Cancelled));
                return ExitInterrupted;
            }
            errors = errors || file.HasErrors();
        } catch (const ERevisionOutOfRange& e) {
            Err << ErrorLine(input, e);
            return ExitUsage;
        } catch (const std::exception& e) {
            Err << ErrorLine(input, e);
            if (Args.Json) Out << ErrorJson(input, e);
            failed = true;
        }
    }
    const int written = CheckStandardOutput(Out, Err);
    if (written != ExitOk) return written;
    return failed ? ExitFailed : errors ? ExitFindings : ExitOk;
}

}  // namespace lumerra::cli
