#include "history/ChangeLevel.h"

#include <algorithm>
#include <set>
#include <string>

#include "history/RevisionView.h"

namespace lumerra {

namespace {

using K = TObjectRole::TKind;
using L = TChangeLevel;

// What filling in a field writes into it.
const std::set<std::string> FillingKeys = {"V", "AS", "AP", "DA", "DS", "RV", "MK"};
// Catalog entries that long-term validation and bookkeeping may write.
const std::set<std::string> BookkeepingKeys = {"DSS", "Extensions", "Version", "Metadata"};
// Form entries that filling in the form may write, besides its fields.
const std::set<std::string> FormFillingKeys = {"NeedAppearances", "SigFlags", "DR", "DA"};

bool Within(const std::set<std::string>& Keys, const std::set<std::string>& Allowed) {
    return std::all_of(Keys.begin(), Keys.end(), [&](const std::string& Key) { return Allowed.count(Key) != 0; });
}

std::set<int32_t> ReferencesOf(const TValue& List) {
    std::set<int32_t> numbers;
    if (List.Is(TValue::TKind::Array))
        for (const TValue& item : List.Items())
            if (item.Is(TValue::TKind::Reference)) numbers.insert(item.AsReference().Number);
    return numbers;
}

class TClassifier {
public:
    TClassifier(TRevisionView& View, size_t R, const TObjectRoles& Before, const TObjectRoles& After,
                const std::vector<TFieldLock>& Locks)
        : FView(View), FR(R), FBefore(Before), FAfter(After), FLocks(Locks) {}

    TChangedObject Added(int32_t Number) {
        TChangedObject changed{Number, RoleOf(FAfter, Number)};
        switch (changed.Role.Kind) {
            case K::Unreferenced: case K::Structure: case K::Information: case K::Metadata: case K::Dss:
                changed.Level = L::Lta;
                break;
            case K::Field:
                changed.Level = IsSignatureField(FR, Number) ? L::FormFilling : L::Other;
                break;
            case K::FieldAppearance: case K::FieldValue: case K::Form:
                changed.Level = L::FormFilling;
                break;
            case K::Annotation: case K::AnnotationAppearance: case K::AnnotationList:
                changed.Level = L::Annotations;
                break;
            default:
                changed.Level = L::Other;
        }
        return Locked(changed);
    }

    TChangedObject Changed(int32_t Number) {
        TChangedObject changed{Number, RoleOf(FBefore, Number)};
        if (changed.Role.Kind == K::Unreferenced) changed.Role = RoleOf(FAfter, Number);
        if (FView.SameObject(FR - 1, FR, Number)) {
            changed.Level = L::Lta;
            return changed;
        }
        const TValuePtr before = FView.Object(FR - 1, Number), after = FView.Object(FR, Number);
        const bool stream = before->Is(TValue::TKind::Stream);
        switch (changed.Role.Kind) {
            case K::Unreferenced: case K::Structure: case K::Information: case K::Metadata: case K::Dss:
                changed.Level = L::Lta;
                break;
            case K::Catalog: changed.Level = CatalogLevel(*before, *after); break;
            case K::Form:
                changed.Level = before->Is(TValue::TKind::Array) ? FieldsLevel(*before, *after) : FormLevel(*before, *after);
                break;
            case K::Field: changed.Level = FieldLevel(Number, *before, *after); break;
            case K::FieldAppearance: changed.Level = stream ? L::Other : L::FormFilling; break;
            case K::Annotation: changed.Level = L::Annotations; break;
            case K::AnnotationAppearance: changed.Level = stream ? L::Other : L::Annotations; break;
            case K::AnnotationList: changed.Level = AnnotationsLevel(*before, *after); break;
            case K::Page: changed.Level = PageLevel(*before, *after); break;
            default: changed.Level = L::Other;
        }
        return Locked(changed);
    }

    TChangedObject Freed(int32_t Number) {
        TChangedObject changed{Number, RoleOf(FBefore, Number)};
        switch (changed.Role.Kind) {
            case K::Unreferenced: case K::Structure: changed.Level = L::Lta; break;
            case K::Annotation: case K::AnnotationAppearance: changed.Level = L::Annotations; break;
            default: changed.Level = L::Other;
        }
        return Locked(changed);
    }

private:
    // A change to a locked field's parts counts as the most there is.
    TChangedObject Locked(TChangedObject Changed) {
        const K kind = Changed.Role.Kind;
        if ((kind == K::Field || kind == K::FieldAppearance || kind == K::FieldValue) &&
            FieldLocked(FLocks, Changed.Role.Field) && Changed.Level > L::Lta) {
            Changed.LockedField = true;
            Changed.Level = L::Other;
        }
        return Changed;
    }

    // Whether Number in revision R is a signature field (/FT inherited).
    bool IsSignatureField(size_t R, int32_t Number) {
        TValuePtr field = FView.Object(R, Number);
        for (int depth = 0; depth < 32 && field->IsDictionary(); ++depth) {
            if (const TValue* type = field->Find("FT"); type != nullptr) return type->IsName("Sig");
            field = FView.Get(R, *field, "Parent");
        }
        return false;
    }

    L CatalogLevel(const TValue& Before, const TValue& After) {
        std::set<std::string> keys = DifferingKeys(Before, After);
        L level = L::Lta;
        if (keys.erase("AcroForm") != 0)
            level = FormLevel(*FView.Get(FR - 1, Before, "AcroForm"), *FView.Get(FR, After, "AcroForm"));
        return Within(keys, BookkeepingKeys) ? level : L::Other;
    }

    L FormLevel(const TValue& Before, const TValue& After) {
        std::set<std::string> keys = DifferingKeys(Before, After);
        L level = Within(keys, FormFillingKeys) ? L::FormFilling : L::Other;
        if (keys.erase("Fields") != 0)
            level = std::max(Within(keys, FormFillingKeys) ? L::FormFilling : L::Other,
                             FieldsLevel(*FView.Get(FR - 1, Before, "Fields"), *FView.Get(FR, After, "Fields")));
        return level;
    }

    // Fields may only be added, and only signature fields.
    L FieldsLevel(const TValue& Before, const TValue& After) {
        const std::set<int32_t> before = ReferencesOf(Before), after = ReferencesOf(After);
        if (!std::includes(after.begin(), after.end(), before.begin(), before.end())) return L::Other;
        for (const int32_t number : after)
            if (before.count(number) == 0 && !IsSignatureField(FR, number)) return L::Other;
        return L::FormFilling;
    }

    L FieldLevel(int32_t Number, const TValue& Before, const TValue& After) {
        const std::set<std::string> keys = DifferingKeys(Before, After);
        if (!Within(keys, FillingKeys)) return L::Other;
        // A signed field's value is its signature.
        if (keys.count("V") != 0 && Before.Find("V") != nullptr && IsSignatureField(FR - 1, Number)) return L::Other;
        return L::FormFilling;
    }

    L PageLevel(const TValue& Before, const TValue& After) {
        const std::set<std::string> keys = DifferingKeys(Before, After);
        if (keys != std::set<std::string>{"Annots"}) return keys.empty() ? L::Lta : L::Other;
        return AnnotationsLevel(*FView.Get(FR - 1, Before, "Annots"), *FView.Get(FR, After, "Annots"));
    }

    // Annotations added or removed; a widget only added, for a signature field.
    L AnnotationsLevel(const TValue& Before, const TValue& After) {
        const std::set<int32_t> before = ReferencesOf(Before), after = ReferencesOf(After);
        L level = L::Lta;
        const auto widget = [&](size_t R, int32_t Number) {
            const TValuePtr annot = FView.Object(R, Number);
            const TValue* subtype = annot->Find("Subtype");
            return subtype != nullptr && subtype->IsName("Widget");
        };
        for (const int32_t number : before)
            if (after.count(number) == 0) level = std::max(level, widget(FR - 1, number) ? L::Other : L::Annotations);
        for (const int32_t number : after)
            if (before.count(number) == 0)
                level = std::max(level, !widget(FR, number)            ? L::Annotations
                                        : IsSignatureField(FR, number) ? L::FormFilling
                                                                       : L::Other);
        return level;
    }

    TRevisionView& FView;
    size_t FR;
    const TObjectRoles& FBefore;
    const TObjectRoles& FAfter;
    const std::vector<TFieldLock>& FLocks;
};

}  // namespace

std::set<std::string> DifferingKeys(const TValue& A, const TValue& B) {
    std::set<std::string> keys;
    if (!A.IsDictionary() || !B.IsDictionary()) return {""};
    for (const auto& [key, value] : A.Entries())
        if (const TValue* other = B.Find(key); other == nullptr || !SameValue(value, *other)) keys.insert(key);
    for (const auto& [key, value] : B.Entries())
        if (A.Find(key) == nullptr) keys.insert(key);
    return keys;
}

TRevisionLevel ClassifyRevision(TRevisionView& View, size_t R, const TRevisionChanges& Changes,
                                const TObjectRoles& Before, const TObjectRoles& After,
                                const std::vector<TFieldLock>& Locks) {
    TRevisionLevel result;
    if (R == 0) return result;
    TClassifier classify(View, R, Before, After, Locks);
    for (const int32_t number : Changes.Added) result.Objects.push_back(classify.Added(number));
    for (const int32_t number : Changes.Changed) result.Objects.push_back(classify.Changed(number));
    for (const int32_t number : Changes.Freed) result.Objects.push_back(classify.Freed(number));
    // A trailer that names another catalog changes the whole document.
    const TValue* root = View.TrailerKey(R, "Root");
    const bool rootChanged =
        std::find(Changes.TrailerChanged.begin(), Changes.TrailerChanged.end(), "Root") != Changes.TrailerChanged.end();
    if (rootChanged && root != nullptr && root->Is(TValue::TKind::Reference)) {
        const int32_t number = root->AsReference().Number;
        const auto listed = std::find_if(result.Objects.begin(), result.Objects.end(),
                                         [&](const TChangedObject& O) { return O.Object == number; });
        if (listed == result.Objects.end())
            result.Objects.push_back({number, RoleOf(After, number), L::Other});
        else
            listed->Level = L::Other;
    }
    std::sort(result.Objects.begin(), result.Objects.end(),
              [](const TChangedObject& A, const TChangedObject& B) { return A.Object < B.Object; });
    for (const TChangedObject& object : result.Objects) {
        result.Level = std::max(result.Level, object.Level);
        result.LockedFieldChanged = result.LockedFieldChanged || object.LockedField;
    }
    return result;
}

}  // namespace lumerra
