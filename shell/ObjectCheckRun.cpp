#include "shell/ObjectCheckRun.h"

#include <filesystem>
#include <memory>

#include "check/Finding.h"
#include "history/AnalystObjectSource.h"
#include "objects/ObjectChecker.h"
#include "pdf/ExtendedAnalyst.h"
#include "shell/ContentCheckRun.h"

namespace lumerra {

namespace {

std::string SeverityLabel(objects::TObjectSeverity Severity) {
    switch (Severity) {
        case objects::TObjectSeverity::Error: return "エラー";
        case objects::TObjectSeverity::Warning: return "警告";
        case objects::TObjectSeverity::Info: return "情報";
    }
    return "エラー";
}

}  // namespace

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
    TPDFAnalyst* analyst = &Loaded;
    if (Loaded.Reading() != TReading::Extended) {
        reloaded = std::make_unique<TExtendedAnalyst>();
        reloaded->LoadFromFile(Loaded.FileName());
        analyst = reloaded.get();
    }
    TAnalystObjectSource source(*analyst);
    objects::TFileFacts facts;
    const std::string& version = analyst->Version();
    facts.HeaderVersion = version.size() >= 3 ? objects::ParseVersion(std::string_view(version).substr(version.size() - 3)) : 0;
    std::error_code error;
    const auto size = std::filesystem::file_size(analyst->FileName(), error);
    facts.FileSize = error ? 0 : static_cast<int64_t>(size);
    facts.PageCount = std::max(0, analyst->PageCount());
    facts.Encrypted = analyst->Encrypted();
    const objects::TModel model;
    objects::TObjectChecker checker(model, source, facts);
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
