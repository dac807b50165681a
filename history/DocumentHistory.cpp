#include "history/DocumentHistory.h"

#include "pdf/ObjectReader.h"
#include "pdf/PDFAnalyst.h"

namespace lumerra {

namespace {

std::string NumberList(const std::vector<int32_t>& Numbers) {
    std::string text;
    for (const int32_t number : Numbers) text += (text.empty() ? "" : "、") + std::to_string(number);
    return text;
}

}  // namespace

TDocumentHistory ReadDocumentHistory(TPDFAnalyst& Analyst) {
    TPositionKeeper keeper(*Analyst.Stream());
    TObjectReader reader(Analyst);
    TDocumentHistory history;
    history.Chain = ReadRevisionChain(reader);
    history.Changes = CompareRevisions(history.Chain.Revisions);
    history.Signatures = FindSignatures(reader, history.Chain.Revisions, history.Changes);
    return history;
}

std::string RevisionCountText(const TDocumentHistory& History) {
    return "改訂: " + std::to_string(History.Chain.Revisions.size());
}

std::vector<std::string> SignatureWarnings(const TDocumentHistory& History) {
    std::vector<std::string> lines;
    for (const TSignature& signature : History.Signatures) {
        const std::string name = "署名（オブジェクト " + std::to_string(signature.Object) + "）";
        if (!signature.ChangedAfter.empty())
            lines.push_back(name + "の後に文書が変更されています。改訂 " + std::to_string(signature.Revision) +
                            " に署名した後、オブジェクト " + NumberList(signature.ChangedAfter) +
                            " が追加または変更されました。");
        for (const TSignatureFinding finding : signature.Findings) lines.push_back(name + ": " + std::string(FindingText(finding)));
    }
    return lines;
}

}  // namespace lumerra
