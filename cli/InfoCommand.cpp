#include "cli/InfoCommand.h"
#include "cli/JsonLines.h"

#include <charconv>

#include <nlohmann/json.hpp>

#include "cli/CommandLine.h"
#include "cli/DiagnosticText.h"
#include "cli/FileDriver.h"
#include "pdf/DocInfo.h"
#include "pdf/SecurityHandler.h"

namespace lumerra::cli {

namespace {

// Object numbers; -1 for a page written in place, which has none.
std::vector<int64_t> PageNumbers(const TPDFAnalyst& Analyst, const TIDList& List) {
    std::vector<int64_t> numbers;
    for (const int32_t page : List) numbers.push_back(Analyst.IsDirectPage(page) ? -1 : page);
    return numbers;
}

// Offsets are kept as the file wrote them; JSON has them as numbers (-1 for
// one that is not).
TJson Numbers(const TStringList& List) {
    TJson numbers = TJson::array();
    for (const std::string& text : List) {
        int64_t number = -1;
        std::from_chars(text.data(), text.data() + text.size(), number);
        numbers.push_back(number);
    }
    return numbers;
}

// A value of the document's own (a title, say) must not break the line.
std::string OneLine(std::string Text) {
    for (char& c : Text)
        if (static_cast<uint8_t>(c) < 0x20 || c == 0x7F) c = ' ';
    return Text;
}

std::string TextOf(const TInfoValue& Value) {
    if (const auto* number = std::get_if<int64_t>(&Value)) return std::to_string(*number);
    if (const auto* flag = std::get_if<bool>(&Value)) return *flag ? "yes" : "no";
    if (const auto* text = std::get_if<std::string>(&Value)) return OneLine(*text);
    std::string text;
    if (const auto* numbers = std::get_if<std::vector<int64_t>>(&Value))
        for (const int64_t number : *numbers) text += (text.empty() ? "" : " ") + std::to_string(number);
    else
        for (const std::string& item : std::get<TStringList>(Value)) text += (text.empty() ? "" : " ") + item;
    return text;
}

}  // namespace

TInfoFields InfoFields(TPDFAnalyst& Analyst, const TIDList& Pages) {
    const TBox& box = Analyst.MediaBox();
    TInfoFields fields = {
        {"file", Analyst.FileName()},
        {"version", Analyst.Version()},  // "1.4" is a name, not a number
        {"objects", int64_t{Analyst.ObjectCount()}},
        {"pages", int64_t{Analyst.PageCount()}},
        {"root", int64_t{Analyst.RootID()}},
        {"info", int64_t{Analyst.InfoID()}},
        {"pages-root", int64_t{Analyst.FirstPagesID()}},
        {"first-page", PageNumbers(Analyst, {Analyst.FirstPageID()}).front()},
        {"outlines", int64_t{Analyst.OutlinesID()}},
        {"metadata", int64_t{Analyst.MetadataID()}},
        {"struct-tree", Analyst.HasStructTree()},
        {"encrypted", Analyst.Encrypted()},
        {"media-box", std::vector<int64_t>{box.Left, box.Bottom, box.Right, box.Top}},
        {"xref-offsets", Analyst.XrefOffsets()},
        {"page-list", PageNumbers(Analyst, Pages)},
    };
    for (auto& [key, value] : ReadDocInfo(Analyst)) fields.emplace_back(key, std::move(value));
    if (Analyst.Reading() == TReading::Extended) {
        const TPDFAnalyst::TXrefCensus census = Analyst.XrefCensus();
        const char* kind = census.Hybrid ? "hybrid" : census.Streams > 0 && census.Tables == 0 ? "stream"
                           : census.Streams > 0                                        ? "mixed"
                                                                                       : "table";
        fields.emplace_back("xref", std::string(kind));
        fields.emplace_back("object-streams", int64_t{census.ObjectStreams});
        fields.emplace_back("objects-in-streams", int64_t{census.ObjectsInStreams});
        fields.emplace_back("repaired", Analyst.Repaired());
        if (const TSecurityHandler* security = Analyst.Security()) {
            const TPasswordKind password = security->Password();
            fields.emplace_back("encryption", std::string(security->Description()));
            fields.emplace_back("password", std::string(password == TPasswordKind::Empty  ? "empty"
                                                        : password == TPasswordKind::User ? "user"
                                                                                          : "owner"));
        }
    }
    return fields;
}

std::string FormatInfo(const TInfoFields& Fields) {
    std::string text;
    for (const auto& [key, value] : Fields) text += key + ": " + TextOf(value) + "\n";
    return text;
}

std::string FormatInfoJson(const TInfoFields& Fields, const TDiagnostics& Diagnostics) {
    TJson object = TJson::object();
    for (const auto& field : Fields) {
        const std::string& key = field.first;
        if (const auto* texts = std::get_if<TStringList>(&field.second))
            object[key] = Numbers(*texts);
        else
            std::visit([&](const auto& v) { object[key] = v; }, field.second);
    }
    object["diagnostics"] = DiagnosticsJson(Diagnostics);
    return Dump(object) + "\n";
}

int RunInfo(const std::vector<std::string>& Inputs, bool Extended, bool Json, std::ostream& Out,
            std::ostream& Err, const std::optional<std::string>& Password,
            const std::optional<int32_t>& Revision, const TFileWatch& Watch) {
    TFileDriver driver({Extended, Password, Revision, Json ? &Out : nullptr, false, Watch}, Err);
    const int exitCode = driver.Run(Inputs, [&](TFileRun& Run) {
        TPDFAnalyst& analyst = Run.Load();
        TIDList pages;
        analyst.GetPageList(&pages);
        const TInfoFields fields = InfoFields(analyst, pages);
        Run.TellLateRepairs();
        // Everything is gathered before anything is printed, so that a file
        // that fails half way prints its error only.
        Out << (Json ? FormatInfoJson(fields, Run.Diagnostics()) : FormatInfo(fields));
        return TFileOutcome::Done;
    });
    const int written = CheckStandardOutput(Out, Err);
    return written != ExitOk ? written : exitCode;
}

}  // namespace lumerra::cli
