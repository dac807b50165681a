#include "cli/RevisionsCommand.h"
#include "cli/JsonLines.h"

#include <nlohmann/json.hpp>

#include "cli/CommandLine.h"
#include "cli/DiagnosticText.h"
#include "cli/FileDriver.h"
#include "cli/MessageText.h"
#include "cli/VerdictText.h"

namespace lumerra::cli {

namespace {

std::string Numbers(const std::vector<int32_t>& List) {
    std::string text;
    for (const int32_t number : List) text += (text.empty() ? "" : " ") + std::to_string(number);
    return text;
}

// ", Label 1 2 3", or nothing for an empty list.
std::string Part(const char* Label, const std::vector<int32_t>& List) {
    return List.empty() ? "" : std::string(", ") + Label + " " + Numbers(List);
}

std::vector<std::string> TrailerKeys(const TRevisionChanges& Changes) {
    std::vector<std::string> keys;
    for (const std::string& key : Changes.TrailerChanged) keys.push_back("/" + key);
    return keys;
}

const char* KindName(TXrefSection::TKind Kind) { return Kind == TXrefSection::TKind::Table ? "table" : "stream"; }

// "table at 1707, bytes 0–2086"
std::string Place(const TRevision& Revision) {
    return std::string(KindName(Revision.Kind)) + " at " + std::to_string(Revision.Offset) + ", bytes " +
           std::to_string(Revision.Start) + "\u2013" + std::to_string(Revision.End);
}

TJson PlaceJson(const TRevision& Revision) {
    return {{"xref", KindName(Revision.Kind)},
            {"offset", Revision.Offset},
            {"start", Revision.Start},
            {"end", Revision.End}};
}

}  // namespace

std::string FormatRevisions(const std::string& File, const TDocumentHistory& History) {
    std::string text = "file: " + File + "\n";
    const std::vector<TRevision>& revisions = History.Chain.Revisions;
    for (size_t i = 0; i < revisions.size(); ++i) {
        const TRevision& revision = revisions[i];
        const TRevisionChanges& changes = History.Changes[i];
        text += "revision " + std::to_string(i + 1) + ": " + Place(revision) + Part("added", changes.Added) +
                Part("changed", changes.Changed) + Part("freed", changes.Freed);
        if (!changes.TrailerChanged.empty()) {
            text += ", trailer";
            for (const std::string& key : TrailerKeys(changes)) text += " " + key;
        }
        text += "\n";
    }
    for (const TRevision& unlinked : History.Chain.Unlinked) text += "unlinked: " + Place(unlinked) + "\n";
    for (size_t s = 0; s < History.Signatures.size(); ++s) {
        const TSignature& signature = History.Signatures[s];
        const std::string name = "signature " + std::to_string(signature.Object) + ": ";
        text += name + "byte range";
        if (signature.ByteRange.empty()) text += " unreadable";
        for (const int64_t number : signature.ByteRange) text += " " + std::to_string(number);
        text += signature.Revision > 0 ? ", covers revision " + std::to_string(signature.Revision)
                                       : std::string(", covers no revision");
        text += Part("changed after", signature.ChangedAfter) + "\n";
        for (const TSignatureFinding finding : signature.Findings)
            text += name + Sentence({FindingCode(finding), {}}) + "\n";
        if (s < History.Reviews.size()) text += ReviewLines(signature.Object, History.Reviews[s]);
    }
    text += "after last %%EOF: " + std::to_string(History.Chain.AfterLastEof) + " bytes\n";
    return text;
}

std::string FormatRevisionsJson(const std::string& File, const TDocumentHistory& History,
                                const TDiagnostics& Diagnostics) {
    TJson revisions = TJson::array();
    const std::vector<TRevision>& chain = History.Chain.Revisions;
    for (size_t i = 0; i < chain.size(); ++i) {
        const TRevisionChanges& changes = History.Changes[i];
        TJson revision = {{"revision", i + 1}};
        revision.update(PlaceJson(chain[i]));
        revision.update({{"added", changes.Added},
                         {"changed", changes.Changed},
                         {"freed", changes.Freed},
                         {"trailer-changed", TrailerKeys(changes)}});
        revisions.push_back(std::move(revision));
    }
    TJson unlinked = TJson::array();
    for (const TRevision& section : History.Chain.Unlinked) unlinked.push_back(PlaceJson(section));
    TJson signatures = TJson::array();
    for (size_t s = 0; s < History.Signatures.size(); ++s) {
        const TSignature& signature = History.Signatures[s];
        TJson entry = {{"object", signature.Object},
                       {"byte-range", signature.ByteRange},
                       {"revision", signature.Revision > 0 ? TJson(signature.Revision) : TJson(nullptr)},
                       {"changed-after", signature.ChangedAfter}};
        if (!signature.Findings.empty()) {
            TJson findings = TJson::array(), codes = TJson::array();
            for (const TSignatureFinding finding : signature.Findings) {
                findings.push_back(Sentence({FindingCode(finding), {}}));
                codes.push_back(CodeName(FindingCode(finding)));
            }
            entry["findings"] = std::move(findings);
            entry["finding-codes"] = std::move(codes);
        }
        if (s < History.Reviews.size()) AddReviewJson(entry, History.Reviews[s]);
        signatures.push_back(std::move(entry));
    }
    const TJson document = {{"file", File},
                            {"revisions", std::move(revisions)},
                            {"unlinked", std::move(unlinked)},
                            {"signatures", std::move(signatures)},
                            {"findings", ShadowFindingsJson(History)},
                            {"after-last-eof", History.Chain.AfterLastEof},
                            {"diagnostics", DiagnosticsJson(Diagnostics)}};
    return Dump(document) + "\n";
}

int RunRevisions(const std::vector<std::string>& Inputs, bool Json, std::ostream& Out, std::ostream& Err,
                 const std::optional<std::string>& Password, const TFileWatch& Watch) {
    TFileDriver driver({true, Password, std::nullopt, Json ? &Out : nullptr, true, Watch}, Err);
    const int exitCode = driver.Run(Inputs, [&](TFileRun& Run) {
        const TDocumentHistory history = ReadDocumentHistory(Run.Load());
        if (history.Chain.ChainDamage) Run.Tell(*history.Chain.ChainDamage);
        for (const TDiagnostic& found : history.Chain.TablesFound) Run.Tell(found);
        Run.TellLateRepairs();
        Out << (Json ? FormatRevisionsJson(Run.Input(), history, Run.Diagnostics())
                     : FormatRevisions(Run.Input(), history));
        return TFileOutcome::Done;
    });
    const int written = CheckStandardOutput(Out, Err);
    return written != ExitOk ? written : exitCode;
}

}  // namespace lumerra::cli
