#include "shell/ContentCheckRun.h"

#include <memory>

#include "check/PageCheck.h"
#include "shell/ExtendedDocument.h"

namespace lumerra {

namespace {

std::string StreamLabel(check::TStreamKind Kind) {
    switch (Kind) {
        case check::TStreamKind::None: return "";
        case check::TStreamKind::Pattern: return "パターン";
        case check::TStreamKind::SoftMask: return "ソフトマスク";
        case check::TStreamKind::Annotation: return "注釈";
        case check::TStreamKind::Glyph: return "グリフ";
    }
    return "";
}

}  // namespace

std::string SeverityLabel(TFindingSeverity Severity) {
    switch (Severity) {
        case TFindingSeverity::Warning: return "警告";
        case TFindingSeverity::Info: return "情報";
        case TFindingSeverity::Error: break;
    }
    return "エラー";
}

std::string FindingLine(const check::TFinding& Finding) {
    std::string line = "ページ " + std::to_string(Finding.Page);
    if (Finding.Object >= 0) line += "、オブジェクト " + std::to_string(Finding.Object);
    if (!Finding.Form.empty()) line += "、フォーム " + Finding.Form;
    if (Finding.Stream != check::TStreamKind::None) line += "、" + StreamLabel(Finding.Stream) + " " + Finding.StreamName;
    if (Finding.Offset >= 0) line += "、オフセット " + std::to_string(Finding.Offset);
    if (Finding.OperandOffset >= 0) line += "、オペランドのオフセット " + std::to_string(Finding.OperandOffset);
    line += ": " + SeverityLabel(Finding.Severity) + " " + std::string(check::CodeName(Finding.Code));
    if (!Finding.Operator.empty()) line += " (" + Finding.Operator + ")";
    return line + ": " + JapaneseText(Finding.Message);
}

std::string OmittedLine(int32_t Page, int64_t Omitted) {
    return "ページ " + std::to_string(Page) + ": " + JapaneseText(MakeMessage(TMessageCode::FindingsOmitted, Omitted));
}

std::string CountsLine(const check::TSeverityCounts& Counts) {
    return SeverityLabel(check::TSeverity::Error) + " " + std::to_string(Counts[check::TSeverity::Error]) + "、" +
           SeverityLabel(check::TSeverity::Warning) + " " + std::to_string(Counts[check::TSeverity::Warning]) + "、" +
           SeverityLabel(check::TSeverity::Info) + " " + std::to_string(Counts[check::TSeverity::Info]);
}

std::optional<std::vector<std::string>> ContentCheckLines(
    TPDFAnalyst& Loaded, const std::function<bool(int32_t Done, int32_t Total)>& KeepGoing,
    std::vector<TFindingMark>* Marks) {
    std::unique_ptr<TPDFAnalyst> reloaded;
    TPDFAnalyst* const analyst = &ExtendedDocumentOf(Loaded, reloaded);
    TIDList pages;
    analyst->GetPageList(&pages);
    const auto total = static_cast<int32_t>(pages.size());
    TObjectReader reader(*analyst);
    std::vector<std::string> lines;
    check::TSeverityCounts counts;
    const bool done = check::CheckPages(
        reader, pages, 1, total,
        [&](const check::TPageFindings& Page) {
            counts.Add(Page);
            for (const check::TFinding& finding : Page.Kept()) {
                if (Marks != nullptr && finding.Object >= 0 && finding.Offset >= 0)
                    Marks->push_back({lines.size(), finding.Object, finding.Offset,
                                      static_cast<int64_t>(finding.Operator.size())});
                lines.push_back(FindingLine(finding));
            }
            if (Page.Omitted() > 0) lines.push_back(OmittedLine(Page.Page(), Page.Omitted()));
        },
        [&](int32_t Done) { return KeepGoing(Done, total); });
    if (!done) return std::nullopt;
    lines.push_back(CountsLine(counts));
    return lines;
}

}  // namespace lumerra
