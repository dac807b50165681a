#include "cli/ObjectCheckText.h"

#include "cli/JsonLines.h"
#include "cli/MessageText.h"

namespace lumerra::cli {

namespace {

using objects::TObjectCode;

std::string Counted(const objects::TObjectStats& Stats, size_t Code) {
    return std::string(objects::CodeName(static_cast<TObjectCode>(Code))) + " " + std::to_string(Stats.Findings[Code]);
}

}  // namespace

std::string ObjectFindingText(const objects::TObjectFinding& Finding) {
    std::string line;
    const auto add = [&line](const std::string& Part) { line += (line.empty() ? "" : ", ") + Part; };
    if (Finding.Object >= 0) add("object " + std::to_string(Finding.Object));
    add("path " + Finding.Path);
    if (!Finding.Key.empty()) add("key " + Finding.Key);
    add("type " + Finding.Type);
    if (Finding.Version > 0) add("version " + objects::VersionText(Finding.Version));
    line += ": ";
    line += objects::SeverityName(Finding.Severity);
    line += ' ';
    line += objects::CodeName(Finding.Code);
    return line + ": " + Sentence(Finding.Message);
}

std::string ObjectFindingJson(const std::string& File, const objects::TObjectFinding& Finding) {
    const auto orNull = [](bool Present, const auto& Value) { return Present ? TJson(Value) : TJson(nullptr); };
    TJson line = {
        {"file", File},
        {"check", "objects"},
        {"object", orNull(Finding.Object >= 0, Finding.Object)},
        {"path", Finding.Path},
        {"key", orNull(!Finding.Key.empty(), Finding.Key)},
        {"type", Finding.Type},
        {"version", orNull(Finding.Version > 0, objects::VersionText(Finding.Version))},
        {"severity", objects::SeverityName(Finding.Severity)},
        {"code", objects::CodeName(Finding.Code)},
        {"message", Sentence(Finding.Message)},
        {"message-code", CodeName(Finding.Message.Code)},
    };
    if (Finding.SecondClass) line["second-class"] = true;
    return Dump(line) + "\n";
}

std::string ObjectStatsText(const std::string& File, const objects::TObjectStats& Stats) {
    std::string text = File + ": objects checked " + std::to_string(Stats.ObjectsChecked) + ", types matched " +
                       std::to_string(Stats.Types.size()) + ", version " + objects::VersionText(Stats.Version) +
                       (Stats.Cut ? ", cut at the limit" : "") + "\n";
    text += File + ": findings";
    for (size_t code = 0; code < objects::ObjectCodeCount; ++code) text += (code == 0 ? " " : ", ") + Counted(Stats, code);
    text += ", second-class-key " + std::to_string(Stats.SecondClassKeys) + "\n";
    const auto& p = Stats.Predicates;
    text += File + ": predicates evaluated " + std::to_string(p.Evaluated) + ", undetermined " +
            std::to_string(p.Undetermined) + ", skipped " + std::to_string(p.Skipped) + "\n";
    text += File + ": types";
    bool first = true;
    for (const auto& [type, count] : Stats.Types) {
        text += (first ? " " : ", ") + type + " " + std::to_string(count);
        first = false;
    }
    return text + "\n";
}

std::string ObjectStatsJson(const std::string& File, const objects::TObjectStats& Stats) {
    TJson findings = TJson::object();
    for (size_t code = 0; code < objects::ObjectCodeCount; ++code)
        findings[std::string(objects::CodeName(static_cast<TObjectCode>(code)))] = Stats.Findings[code];
    findings["second-class-key"] = Stats.SecondClassKeys;
    TJson types = TJson::object();
    for (const auto& [type, count] : Stats.Types) types[type] = count;
    TJson stats = {
        {"objects-checked", Stats.ObjectsChecked},
        {"types-matched", Stats.Types.size()},
        {"version", objects::VersionText(Stats.Version)},
        {"cut", Stats.Cut},
        {"findings", findings},
        {"predicates", {{"evaluated", Stats.Predicates.Evaluated}, {"undetermined", Stats.Predicates.Undetermined},
                        {"skipped", Stats.Predicates.Skipped}}},
        {"types", types},
    };
    return Dump(TJson{{"file", File}, {"stats", stats}}) + "\n";
}

}  // namespace lumerra::cli
