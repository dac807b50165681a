#include "cli/VerdictText.h"

#include "cli/MessageText.h"

namespace lumerra::cli {

namespace {

using K = TObjectRole::TKind;

std::string Numbers(const std::vector<int32_t>& List) {
    std::string text;
    for (const int32_t number : List) text += (text.empty() ? "" : " ") + std::to_string(number);
    return text;
}

const char* ActionName(TFieldLock::TAction Action) {
    switch (Action) {
        case TFieldLock::TAction::All: return "all";
        case TFieldLock::TAction::Include: return "include";
        case TFieldLock::TAction::Exclude: return "exclude";
    }
    return "all";
}

std::string LockText(const TFieldLock& Lock) {
    std::string text = std::string("locks ") + ActionName(Lock.Action);
    for (const std::string& field : Lock.Fields) text += " " + field;
    if (Lock.P) text += " P=" + std::to_string(*Lock.P);
    return text;
}

const char* IntegrityName(TIntegrity Integrity) {
    switch (Integrity) {
        case TIntegrity::NotChecked: return "not-checked";
        case TIntegrity::Verified: return "verified";
        case TIntegrity::Failed: return "failed";
    }
    return "not-checked";
}

}  // namespace

const char* KindName(TSignatureKind Kind) {
    switch (Kind) {
        case TSignatureKind::Approval: return "approval";
        case TSignatureKind::Certification: return "certification";
        case TSignatureKind::UsageRights: return "usage-rights";
        case TSignatureKind::DocumentTimestamp: return "document-timestamp";
    }
    return "approval";
}

const char* LevelName(TChangeLevel Level) {
    switch (Level) {
        case TChangeLevel::None: return "none";
        case TChangeLevel::Lta: return "lta";
        case TChangeLevel::FormFilling: return "form-filling";
        case TChangeLevel::Annotations: return "annotations";
        case TChangeLevel::Other: return "other";
    }
    return "other";
}

const char* VerdictName(TVerdict Verdict) {
    switch (Verdict) {
        case TVerdict::Allowed: return "allowed";
        case TVerdict::NotAllowed: return "not-allowed";
        case TVerdict::NoPermissionDeclared: return "no-permission-declared";
    }
    return "not-allowed";
}

std::string RoleText(const TObjectRole& Role) {
    const std::string page = "page " + std::to_string(Role.Page);
    const std::string annotation = "annotation " + std::to_string(Role.Annotation);
    switch (Role.Kind) {
        case K::Unreferenced: return "unreferenced";
        case K::Structure: return "cross-reference or object stream";
        case K::Catalog: return "catalog";
        case K::Information: return "document information";
        case K::Metadata: return "metadata";
        case K::Security: return "encryption";
        case K::Dss: return "security store";
        case K::Form: return "form";
        case K::Field: return "field " + Role.Field;
        case K::FieldAppearance: return "field " + Role.Field + " appearance";
        case K::FieldValue: return "field " + Role.Field + " value";
        case K::PageTree: return "page tree";
        case K::Page: return page;
        case K::PageContent: return page + " content";
        case K::PageResource: return page + " resources";
        case K::AnnotationList: return page + " annotations";
        case K::Annotation: return annotation;
        case K::AnnotationAppearance: return annotation + " appearance";
        case K::OptionalContent: return "optional content";
        case K::Other: return "other";
    }
    return "other";
}

std::string ReviewLines(int32_t Object, const TSignatureReview& Review) {
    const std::string name = "signature " + std::to_string(Object) + ": ";
    const TSignatureDescription& description = Review.Description;
    std::string text = name + KindName(description.Kind);
    if (description.Permissions.DocMdp) text += " P=" + std::to_string(*description.Permissions.DocMdp);
    if (!description.SubFilter.empty()) text += ", subfilter " + description.SubFilter;
    for (const TFieldLock& lock : description.Permissions.FieldMdp) text += ", " + LockText(lock);
    text += std::string(", integrity ") + IntegrityName(Review.Integrity) + "\n";
    for (const TLaterRevision& later : Review.Later)
        text += name + "revision " + std::to_string(later.Revision) + ": " + LevelName(later.Level) + ", " +
                VerdictName(later.Verdict) + "\n";
    for (const TShadowFinding& finding : Review.Findings)
        text += name + std::string(CodeName(ShadowCode(finding.Kind))) + " in revision " + std::to_string(finding.Revision) +
                ", objects " + Numbers(finding.Objects) + ": " + Sentence({ShadowCode(finding.Kind), {}}) + "\n";
    return text;
}

void AddReviewJson(TJson& Entry, const TSignatureReview& Review) {
    const TSignatureDescription& description = Review.Description;
    Entry["kind"] = KindName(description.Kind);
    Entry["subfilter"] = description.SubFilter.empty() ? TJson(nullptr) : TJson(description.SubFilter);
    TJson locks = TJson::array();
    for (const TFieldLock& lock : description.Permissions.FieldMdp)
        locks.push_back({{"action", ActionName(lock.Action)},
                         {"fields", lock.Fields},
                         {"p", lock.P ? TJson(*lock.P) : TJson(nullptr)}});
    const auto& docMdp = description.Permissions.DocMdp;
    Entry["permissions"] = {{"docmdp", docMdp ? TJson(*docMdp) : TJson(nullptr)},
                            {"fieldmdp", std::move(locks)},
                            {"ur3", description.Permissions.Ur3}};
    TJson later = TJson::array();
    for (const TLaterRevision& revision : Review.Later) {
        TJson objects = TJson::array();
        for (const TChangedObject& object : revision.Objects) {
            TJson entry = {{"object", object.Object}, {"role", RoleText(object.Role)}, {"level", LevelName(object.Level)}};
            if (object.LockedField) entry["locked"] = true;
            objects.push_back(std::move(entry));
        }
        later.push_back({{"revision", revision.Revision},
                         {"level", LevelName(revision.Level)},
                         {"verdict", VerdictName(revision.Verdict)},
                         {"objects", std::move(objects)}});
    }
    Entry["integrity"] = IntegrityName(Review.Integrity);
    Entry["later"] = std::move(later);
}

TJson ShadowFindingsJson(const TDocumentHistory& History) {
    TJson findings = TJson::array();
    for (size_t i = 0; i < History.Reviews.size() && i < History.Signatures.size(); ++i)
        for (const TShadowFinding& finding : History.Reviews[i].Findings)
            findings.push_back({{"code", std::string(CodeName(ShadowCode(finding.Kind)))},
                                {"message", Sentence({ShadowCode(finding.Kind), {}})},
                                {"signature", History.Signatures[i].Object},
                                {"revision", finding.Revision},
                                {"objects", finding.Objects}});
    return findings;
}

}  // namespace lumerra::cli
