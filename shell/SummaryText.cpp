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

using K = TObjectRole::TKind;

std::string KindText(const TSignatureDescription& Description) {
    switch (Description.Kind) {
        case TSignatureKind::Approval: return "承認";
        case TSignatureKind::Certification:
            return "証明 P=" + std::to_string(Description.Permissions.DocMdp.value_or(2));
        case TSignatureKind::UsageRights: return "利用権限";
        case TSignatureKind::DocumentTimestamp: return "文書タイムスタンプ";
    }
    return "承認";
}

std::string RoleText(const TObjectRole& Role) {
    const std::string page = "ページ " + std::to_string(Role.Page);
    switch (Role.Kind) {
        case K::Catalog: return "カタログ";
        case K::Security: return "暗号化の設定";
        case K::Form: return "フォーム";
        case K::Field: case K::FieldValue: return "フィールド " + Role.Field;
        case K::FieldAppearance: return "フィールド " + Role.Field + " の外観";
        case K::PageTree: return "ページツリー";
        case K::Page: return page;
        case K::PageContent: return page + " の内容";
        case K::PageResource: return page + " のリソース";
        case K::AnnotationList: return page + " の注釈の一覧";
        case K::Annotation: return "注釈 " + std::to_string(Role.Annotation);
        case K::AnnotationAppearance: return "注釈 " + std::to_string(Role.Annotation) + " の外観";
        case K::OptionalContent: return "オプションコンテンツ";
        default: return "";
    }
}

// What the revision did, up to the comma: the first object that made it
// "other" is named.
std::string LevelText(const TLaterRevision& Later) {
    switch (Later.Level) {
        case TChangeLevel::None: return "何も変更しておらず";
        case TChangeLevel::Lta: return "長期検証のための追加のみで";
        case TChangeLevel::FormFilling: return "フォーム入力のみで";
        case TChangeLevel::Annotations: return "注釈の変更までで";
        case TChangeLevel::Other: break;
    }
    for (const TChangedObject& object : Later.Objects) {
        if (object.Level != TChangeLevel::Other) continue;
        const std::string role = RoleText(object.Role);
        if (role.empty()) return "オブジェクト " + std::to_string(object.Object) + " が変更されており";
        return role + (static_cast<unsigned char>(role.back()) < 0x80 ? " " : "") + "が変更されており";
    }
    return "文書が変更されており";
}

std::string VerdictText(TVerdict Verdict) {
    switch (Verdict) {
        case TVerdict::Allowed: return "許可されています。";
        case TVerdict::NotAllowed: return "許可されていません。";
        case TVerdict::NoPermissionDeclared: return "許可の範囲は宣言されていません。";
    }
    return "許可されていません。";
}

}  // namespace

std::vector<std::string> SignatureVerdicts(const TDocumentHistory& History) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < History.Signatures.size() && i < History.Reviews.size(); ++i) {
        const TSignatureReview& review = History.Reviews[i];
        const std::string name = "署名（オブジェクト " + std::to_string(History.Signatures[i].Object) + "、" +
                                 KindText(review.Description) + "）";
        for (const TLaterRevision& later : review.Later)
            lines.push_back(name + "の後の改訂 " + std::to_string(later.Revision) + " は" + LevelText(later) + "、" +
                            VerdictText(later.Verdict));
        for (const TShadowFinding& finding : review.Findings)
            lines.push_back(name + ": " + JapaneseText(TMessage{ShadowCode(finding.Kind)}) + "（改訂 " +
                            std::to_string(finding.Revision) + "、オブジェクト " + NumberList(finding.Objects) + "）");
    }
    return lines;
}

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
