#include "history/ShadowFindings.h"

#include <algorithm>
#include <set>
#include <string_view>

#include "history/RevisionView.h"

namespace lumerra {

namespace {

using K = TObjectRole::TKind;

// Annotations that paint over the page whatever their appearance says.
const std::set<std::string, std::less<>> PaintingSubtypes = {
    "FreeText", "Stamp", "Square", "Circle", "Ink", "Polygon", "PolyLine", "Line", "Highlight",
    "Underline", "StrikeOut", "Squiggly", "Caret", "FileAttachment", "Sound", "Redact", "Watermark", "Text"};
// Annotation flags that keep it from being seen.
constexpr int64_t HiddenFlags = 2 | 32;  // Hidden, NoView

bool Painting(const TValue& Annotation) {
    const TValue* subtype = Annotation.Find("Subtype");
    if (subtype == nullptr || !subtype->Is(TValue::TKind::Name)) return false;
    if (subtype->IsName("Link")) return Annotation.Find("AP") != nullptr;
    return PaintingSubtypes.count(subtype->Text()) != 0;
}

bool Visible(TRevisionView& View, size_t R, const TValue& Widget) {
    const TValuePtr flags = View.Get(R, Widget, "F");
    if (flags->Is(TValue::TKind::Integer) && (flags->AsInteger() & HiddenFlags) != 0) return false;
    const TValuePtr rect = View.Get(R, Widget, "Rect");
    if (!rect->Is(TValue::TKind::Array) || rect->Items().size() != 4) return false;
    std::vector<double> n;
    for (const TValue& item : rect->Items())
        n.push_back(item.Is(TValue::TKind::Real) ? item.AsReal() : static_cast<double>(item.AsInteger()));
    return n[0] != n[2] && n[1] != n[3];
}

bool SignatureField(TRevisionView& View, size_t R, const TValue& Field) {
    TValuePtr node = std::make_shared<const TValue>(Field);
    for (int depth = 0; depth < 32 && node->IsDictionary(); ++depth) {
        if (const TValue* type = node->Find("FT"); type != nullptr) return type->IsName("Sig");
        node = View.Get(R, *node, "Parent");
    }
    return false;
}

void ReferencesIn(const TValue& V, std::vector<int32_t>& Out) {
    if (V.Is(TValue::TKind::Reference)) Out.push_back(V.AsReference().Number);
    if (V.Is(TValue::TKind::Array))
        for (const TValue& item : V.Items())
            if (item.Is(TValue::TKind::Reference)) Out.push_back(item.AsReference().Number);
}

class TShadowSearch {
public:
    TShadowSearch(TRevisionView& View, const TSignedState& Signed) : FView(View), FSigned(Signed) {}

    std::vector<TShadowFinding> Run(const std::vector<TLaterChange>& Later) {
        Unreachable();
        for (const TLaterChange& later : Later) Revision(later.Revision, *later.Level);
        return std::move(FFindings);
    }

private:
    // Objects a revision might redirect the document to.
    bool Prepared(int32_t Number) const {
        return FView.InUse(FSigned.Signed, Number) && FSigned.Reachable.count(Number) == 0 &&
               RoleOf(*FSigned.Roles, Number).Kind != K::Structure;
    }

    void Unreachable() {
        std::vector<int32_t> objects;
        for (const int32_t number : FView.InUseNumbers(FSigned.Signed)) {
            if (!Prepared(number)) continue;
            const TValuePtr object = FView.Object(FSigned.Signed, number);
            const TValue* type = object->Find("Type");
            if ((type != nullptr && (type->IsName("XRef") || type->IsName("ObjStm"))) ||
                object->Find("Linearized") != nullptr)
                continue;
            objects.push_back(number);
        }
        Add(TShadowKind::UnreachableAtSigning, FSigned.Signed, std::move(objects));
    }

    void Revision(size_t R, const TRevisionLevel& Level) {
        std::vector<int32_t> hide, replace, redirect, evil, sneaky;
        for (const TChangedObject& changed : Level.Objects) {
            const int32_t n = changed.Object;
            const bool signedBefore = FView.InUse(FSigned.Signed, n) && FSigned.Reachable.count(n) != 0;
            const bool overridden = FView.InUse(R - 1, n) && FView.InUse(R, n) && changed.Level > TChangeLevel::Lta;
            const bool added = !FView.InUse(R - 1, n) && FView.InUse(R, n);
            const TValuePtr after = FView.Object(R, n);
            const K kind = changed.Role.Kind;
            if (overridden && signedBefore) {
                const std::set<std::string> keys = DifferingKeys(*FView.Object(R - 1, n), *after);
                if (kind == K::Annotation || kind == K::OptionalContent ||
                    (kind == K::Field && (keys.count("F") != 0 || keys.count("Rect") != 0)) ||
                    (kind == K::Catalog && keys.count("OCProperties") != 0))
                    hide.push_back(n);
                if (kind == K::PageResource || kind == K::FieldAppearance || kind == K::AnnotationAppearance ||
                    kind == K::FieldValue || (kind == K::Field && keys.count("V") != 0 &&
                                              FView.Object(FSigned.Signed, n)->Find("V") != nullptr))
                    replace.push_back(n);
            }
            if (overridden && (kind == K::Catalog || kind == K::PageTree || kind == K::Page || kind == K::PageContent)) {
                std::vector<int32_t> targets;
                if (after->Is(TValue::TKind::Array)) ReferencesIn(*after, targets);
                for (const char* key : {"Pages", "Kids", "Contents"})
                    if (const TValue* value = after->Find(key); value != nullptr) ReferencesIn(*value, targets);
                bool any = false;
                for (const int32_t target : targets)
                    if (Prepared(target)) {
                        redirect.push_back(target);
                        any = true;
                    }
                if (any) redirect.push_back(n);
            }
            if (added && kind == K::Annotation && FSigned.DocMdp == 3 && Painting(*after)) evil.push_back(n);
            if (added && kind == K::Field && FSigned.DocMdp && SignatureField(FView, R, *after) &&
                Visible(FView, R, *after))
                sneaky.push_back(n);
        }
        // A /Root turned to a catalog prepared before signing.
        if (const TValue* root = FView.TrailerKey(R, "Root"); root != nullptr && root->Is(TValue::TKind::Reference))
            if (const int32_t n = root->AsReference().Number; Prepared(n)) redirect.push_back(n);
        Add(TShadowKind::Hide, R, std::move(hide));
        Add(TShadowKind::Replace, R, std::move(replace));
        Add(TShadowKind::HideAndReplace, R, std::move(redirect));
        Add(TShadowKind::EvilAnnotation, R, std::move(evil));
        Add(TShadowKind::SneakySignature, R, std::move(sneaky));
    }

    void Add(TShadowKind Kind, size_t R, std::vector<int32_t> Objects) {
        if (Objects.empty()) return;
        std::sort(Objects.begin(), Objects.end());
        Objects.erase(std::unique(Objects.begin(), Objects.end()), Objects.end());
        FFindings.push_back({Kind, static_cast<int32_t>(R) + 1, std::move(Objects)});
    }

    TRevisionView& FView;
    const TSignedState& FSigned;
    std::vector<TShadowFinding> FFindings;
};

}  // namespace

TMessageCode ShadowCode(TShadowKind Kind) {
    switch (Kind) {
        case TShadowKind::Hide: return TMessageCode::ShadowHide;
        case TShadowKind::Replace: return TMessageCode::ShadowReplace;
        case TShadowKind::HideAndReplace: return TMessageCode::ShadowHideAndReplace;
        case TShadowKind::UnreachableAtSigning: return TMessageCode::UnreachableAtSigning;
        case TShadowKind::EvilAnnotation: return TMessageCode::EvilAnnotation;
        case TShadowKind::SneakySignature: return TMessageCode::SneakySignature;
    }
    return TMessageCode::ShadowHide;
}

std::vector<TShadowFinding> FindShadowAttacks(TRevisionView& View, const TSignedState& Signed,
                                              const std::vector<TLaterChange>& Later) {
    return TShadowSearch(View, Signed).Run(Later);
}

}  // namespace lumerra
