#include "cli/InfoCommand.h"

#include <sstream>

#include "cli/CommandLine.h"
#include "pdf/SecurityHandler.h"

namespace lumerra::cli {

namespace {

std::string Joined(const TStringList& List) {
    std::string text;
    for (const std::string& item : List) text += (text.empty() ? "" : " ") + item;
    return text;
}

std::string Joined(const TIDList& List) {
    std::string text;
    for (const int32_t ID : List) text += (text.empty() ? "" : " ") + std::to_string(ID);
    return text;
}

const char* YesNo(bool Value) { return Value ? "yes" : "no"; }

}  // namespace

std::string FormatInfo(const TPDFAnalyst& Analyst, const TIDList& Pages) {
    const TBox& box = Analyst.MediaBox();
    std::ostringstream out;
    out << "file: " << Analyst.FileName() << '\n'
        << "version: " << Analyst.Version() << '\n'
        << "objects: " << Analyst.ObjectCount() << '\n'
        << "pages: " << Analyst.PageCount() << '\n'
        << "root: " << Analyst.RootID() << '\n'
        << "info: " << Analyst.InfoID() << '\n'
        << "pages-root: " << Analyst.FirstPagesID() << '\n'
        << "first-page: " << Analyst.FirstPageID() << '\n'
        << "outlines: " << Analyst.OutlinesID() << '\n'
        << "metadata: " << Analyst.MetadataID() << '\n'
        << "struct-tree: " << YesNo(Analyst.HasStructTree()) << '\n'
        << "encrypted: " << YesNo(Analyst.Encrypted()) << '\n'
        << "media-box: " << box.Left << ' ' << box.Bottom << ' ' << box.Right << ' ' << box.Top << '\n'
        << "xref-offsets: " << Joined(Analyst.XrefOffsets()) << '\n'
        << "page-list: " << Joined(Pages) << '\n';
    if (Analyst.ExtendedReading()) {
        const TPDFAnalyst::TXrefCensus census = Analyst.XrefCensus();
        const char* kind = census.Hybrid ? "hybrid" : census.Streams > 0 && census.Tables == 0 ? "stream"
                           : census.Streams > 0                                        ? "mixed"
                                                                                       : "table";
        out << "xref: " << kind << '\n'
            << "object-streams: " << census.ObjectStreams << '\n'
            << "objects-in-streams: " << census.ObjectsInStreams << '\n'
            << "repaired: " << YesNo(Analyst.Repaired()) << '\n';
        if (const TSecurityHandler* security = Analyst.Security()) {
            const TPasswordKind kind = security->Password();
            out << "encryption: " << security->Description() << '\n'
                << "password: " << (kind == TPasswordKind::Empty ? "empty" : kind == TPasswordKind::User ? "user" : "owner")
                << '\n';
        }
    }
    return out.str();
}

int RunInfo(const std::string& Input, bool Extended, std::ostream& Out, std::ostream& Err,
            const std::optional<std::string>& Password) {
    // Everything is gathered before anything is printed, so that a file that
    // fails half way prints its error only.
    std::string text;
    bool loaded = false;
    try {
        TPDFAnalyst analyst;
        analyst.SetExtendedReading(Extended);
        analyst.SetPassword(Password);
        analyst.LoadFromFile(Input);
        loaded = true;
        Err << WarningLines(Input, analyst);
        TIDList pages;
        analyst.GetPageList(&pages);
        text = FormatInfo(analyst, pages);
    } catch (const std::exception& e) {
        Err << ErrorLine(Input, e);
        if (!Extended && !loaded) Err << ExtendedReadingHint(Input);
        return ExitFailed;
    }
    Out << text;
    return CheckStandardOutput(Out, Err);
}

}  // namespace lumerra::cli
