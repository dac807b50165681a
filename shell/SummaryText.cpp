#include "shell/SummaryText.h"

namespace lumerra {

namespace {

// Japanese lists are joined by the ideographic comma.
std::string Joined(const std::vector<std::string>& Parts) {
    std::string text;
    for (const std::string& part : Parts) text += (text.empty() ? "" : "、") + part;
    return text;
}

std::string NumberList(const std::vector<int32_t>& Numbers) {
    std::vector<std::string> parts;
    for (const int32_t number : Numbers) parts.push_back(std::to_string(number));
    return Joined(parts);
}

}  // namespace

std::string RevisionCountText(const TDocumentHistory& History) {
    return "改訂: " + std::to_string(History.Chain.Revisions.size());
}

std::string ActiveContentText(const TActiveContent& Kind) {
    return Kind.Kind + ": " + std::to_string(Kind.Places) + " か所";
}

std::vector<std::string> SignatureWarnings(const TDocumentHistory& History) {
    std::vector<std::string> lines;
    for (const TSignature& signature : History.Signatures) {
        const std::string name = "署名（オブジェクト " + std::to_string(signature.Object) + "）";
        if (!signature.ChangedAfter.empty())
            lines.push_back(name + "の後に文書が変更されています。改訂 " + std::to_string(signature.Revision) +
                            " に署名した後、オブジェクト " + NumberList(signature.ChangedAfter) +
                            " が追加または変更されました。");
        for (const TSignatureFinding finding : signature.Findings)
            lines.push_back(name + ": " + JapaneseText(TMessage{FindingCode(finding)}));
    }
    return lines;
}

std::string SummaryLine(const std::vector<std::string>& Parts) { return Joined(Parts); }

}  // namespace lumerra
