#include "cli/TriageReport.h"

#include <cstdio>

#include "cli/DiagnosticText.h"
#include "cli/JsonLines.h"
#include "cli/MessageText.h"

namespace lumerra::cli {

namespace {

// pdfid's row and key for the /Colors count, after the keywords.
const char* const ColorsRow = "/Colors > 2^24";

// pdfid's "%-16s %7d" columns.
std::string Column(std::string_view Name, int64_t Count) {
    char line[64];
    std::snprintf(line, sizeof line, " %-16.*s %7lld", static_cast<int>(Name.size()), Name.data(),
                  static_cast<long long>(Count));
    return line;
}

// A file name must not break its line.
std::string OneLine(std::string Text) {
    for (char& c : Text)
        if (c == '\n' || c == '\r') c = ' ';
    return Text;
}

}  // namespace

std::string FormatTriageText(const TTriage& Triage) {
    std::string text = "File: " + OneLine(Triage.File) + "\n PDF Header: " + Triage.Raw.Header.value_or("") + "\n";
    for (size_t i = 0; i < TriageKeywords.size(); ++i) {
        const TKeywordCount& count = Triage.Raw.Keywords[i];
        text += Column(TriageKeywords[i], count.Raw);
        if (count.Escaped > 0) text += "(" + std::to_string(count.Escaped) + ")";
        if (Triage.Objects && !(*Triage.Objects)[i].empty()) {
            text += "  objects";
            for (const int32_t number : (*Triage.Objects)[i]) text += " " + std::to_string(number);
        }
        text += "\n";
    }
    text += Column(ColorsRow, Triage.Raw.ColorsAbove2To24) + "\n";
    text += Column("%%EOF", Triage.Raw.EofMarkers) + "\n";
    if (Triage.Raw.AfterLastEof) text += Column("After last %%EOF", *Triage.Raw.AfterLastEof) + "\n";
    return text;
}

std::string FormatTriageJson(const TTriage& Triage, const TDiagnostics& Diagnostics) {
    TJson keywords = TJson::object();
    for (size_t i = 0; i < TriageKeywords.size(); ++i) {
        TJson entry = {{"raw", Triage.Raw.Keywords[i].Raw}};
        if (IsNameKeyword(i)) {
            entry["raw-escaped"] = Triage.Raw.Keywords[i].Escaped;
            if (Triage.Objects) entry["objects"] = (*Triage.Objects)[i];
        }
        keywords[std::string(TriageKeywords[i])] = std::move(entry);
    }
    keywords[ColorsRow] = {{"raw", Triage.Raw.ColorsAbove2To24}};
    TJson report = {{"file", Triage.File}};
    report["header"] = Triage.Raw.Header ? TJson(*Triage.Raw.Header) : TJson(nullptr);
    report["keywords"] = std::move(keywords);
    report["eof-markers"] = Triage.Raw.EofMarkers;
    report["after-last-eof"] = Triage.Raw.AfterLastEof ? TJson(*Triage.Raw.AfterLastEof) : TJson(nullptr);
    if (!Triage.Objects) {
        report["error"] = Sentence(Triage.Error);
        report["code"] = CodeName(Triage.Error.Code);
        if (!Triage.Context.empty()) report["context"] = Triage.Context;
    }
    // Only where there are any: the keys of a clean file's report stay as
    // pdfid's readers know them.
    if (!Diagnostics.empty()) report["diagnostics"] = DiagnosticsJson(Diagnostics);
    return Dump(report) + "\n";
}

}  // namespace lumerra::cli
