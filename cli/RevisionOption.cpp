#include "cli/RevisionOption.h"

#include "common/Stream.h"
#include "history/DocumentHistory.h"
#include "pdf/ExtendedAnalyst.h"
#include "pdf/PDFAnalyst.h"

namespace lumerra::cli {

namespace {

// Where revision Revision of Input ends, in the file's own bytes.
int64_t RevisionEnd(const std::string& Input, int32_t Revision, const std::optional<std::string>& Password) {
    TExtendedAnalyst whole;
    whole.ReadTableOnly();
    whole.SetPassword(Password);
    whole.LoadFromFile(Input);
    const TRevisionChain chain = ReadDocumentHistory(whole).Chain;
    const auto count = static_cast<int32_t>(chain.Revisions.size());
    if (Revision < 1 || Revision > count)
        throw ERevisionOutOfRange("no revision " + std::to_string(Revision) + ": the file has " +
                                  std::to_string(count));
    return chain.Revisions[static_cast<size_t>(Revision - 1)].End;
}

}  // namespace

void LoadDocument(TPDFAnalyst& Analyst, const std::string& Input, const std::optional<int32_t>& Revision,
                  const std::optional<std::string>& Password) {
    if (!Revision) {
        Analyst.LoadFromFile(Input);
        return;
    }
    const int64_t end = RevisionEnd(Input, *Revision, Password);
    // Opened as a load opens it: the default reading refuses 2 GiB and more.
    auto file = std::make_unique<TFileStream>(Input, Analyst.OpenMode());
    file->EndAt(end);
    Analyst.LoadFromStream(std::move(file), Input);
}

}  // namespace lumerra::cli
