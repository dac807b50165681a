#include "shell/ObjectCheckRun.h"

#include <memory>

#include "check/Finding.h"
#include "history/AnalystObjectSource.h"
#include "objects/ObjectChecker.h"
#include "shell/ExtendedDocument.h"
#include "shell/ContentCheckRun.h"

namespace lumerra {

std::string ObjectFindingLine(const objects::TObjectFinding& Finding) {
    std::string line;
    const auto add = [&line](const std::string& Part) { line += (line.empty() ? "" : "、") + Part; };
    if (Finding.Object >= 0) add("オブジェクト " + std::to_string(Finding.Object));
    add("パス " + Finding.Path);
    if (!Finding.Key.empty()) add("キー " + Finding.Key);
    add("型 " + Finding.Type);
    if (Finding.Version > 0) add("バージョン " + objects::VersionText(Finding.Version));
    return line + ": " + SeverityLabel(Finding.Severity) + " " + std::string(objects::CodeName(Finding.Code)) + ": " +
           JapaneseText(Finding.Message);
}

std::optional<std::vector<std::string>> ObjectCheckLines(
    TPDFAnalyst& Loaded, const std::function<bool(int64_t Done, int64_t Total)>& KeepGoing) {
    std::unique_ptr<TPDFAnalyst> reloaded;
    TPDFAnalyst* const analyst = &ExtendedDocumentOf(Loaded, reloaded);
    TAnalystObjectSource source(*analyst);
    const objects::TModel model;
    objects::TObjectChecker checker(model, source, objects::FactsOf(*analyst));
    const int64_t total = std::max(1, source.ObjectCount());
    std::vector<std::string> lines;
    check::TSeverityCounts counts;
    const bool done = checker.Run(
        [&](const objects::TObjectFinding& Finding) {
            ++counts.Counts[static_cast<size_t>(Finding.Severity)];
            lines.push_back(ObjectFindingLine(Finding));
        },
        [&](int64_t Checked) { return KeepGoing(std::min(Checked, total), total); });
    if (!done) return std::nullopt;
    lines.push_back(CountsLine(counts));
    return lines;
}

}  // namespace lumerra
