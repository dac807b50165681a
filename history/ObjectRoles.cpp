#include "history/ObjectRoles.h"

#include <vector>

#include "history/RevisionView.h"
#include "pdf/DocInfo.h"

namespace lumerra {

namespace {

using K = TObjectRole::TKind;

// Nesting of fields and of the page tree followed at most.
constexpr int MaximumDepth = 64;
// Objects one role's walk marks at most.
constexpr size_t MaximumMarks = 1 << 20;

int32_t NumberOf(const TValue* V) { return V != nullptr && V->Is(TValue::TKind::Reference) ? V->AsReference().Number : 0; }

void ReferencesIn(const TValue& V, std::vector<int32_t>& Out, int Depth = 0) {
    if (Depth > MaximumDepth) return;
    if (V.Is(TValue::TKind::Reference)) Out.push_back(V.AsReference().Number);
    if (V.Is(TValue::TKind::Array))
        for (const TValue& item : V.Items()) ReferencesIn(item, Out, Depth + 1);
    if (V.IsDictionary())
        for (const auto& entry : V.Entries()) ReferencesIn(entry.second, Out, Depth + 1);
}

class TRoleWalk {
public:
    TRoleWalk(TRevisionView& View, size_t R) : FView(View), FR(R) {}

    TObjectRoles Run() {
        MarkStructure();
        const TValue* rootKey = FView.TrailerKey(FR, "Root");
        const int32_t root = NumberOf(rootKey);
        if (root != 0) Set(root, {K::Catalog});
        if (const TValue* info = FView.TrailerKey(FR, "Info"); info != nullptr) Mark(*info, {K::Information});
        if (const TValue* encrypt = FView.TrailerKey(FR, "Encrypt"); encrypt != nullptr) Mark(*encrypt, {K::Security});
        if (rootKey == nullptr) return std::move(FRoles);
        const TValuePtr catalog = FView.Resolve(FR, *rootKey);
        if (const TValue* form = catalog->Find("AcroForm"); form != nullptr) Form(*form);
        if (const TValue* pages = catalog->Find("Pages"); pages != nullptr) PageTree(*pages, 0);
        for (const auto& [key, kind] : {std::pair{"Metadata", K::Metadata}, std::pair{"DSS", K::Dss},
                                        std::pair{"OCProperties", K::OptionalContent}})
            if (const TValue* value = catalog->Find(key); value != nullptr) Mark(*value, {kind});
        for (const int32_t number : FView.Reachable(FR)) FRoles.try_emplace(number, TObjectRole{K::Other});
        return std::move(FRoles);
    }

private:
    bool Set(int32_t Number, const TObjectRole& Role) { return Number > 0 && FRoles.try_emplace(Number, Role).second; }

    // Role for every object Value reaches that has none yet.
    void Mark(const TValue& Value, const TObjectRole& Role) {
        std::vector<int32_t> next;
        ReferencesIn(Value, next);
        for (size_t marked = 0; !next.empty() && marked < MaximumMarks; ++marked) {
            const int32_t number = next.back();
            next.pop_back();
            if (Set(number, Role)) ReferencesIn(*FView.Object(FR, number), next);
        }
    }

    // Cross-reference streams and the object streams entries point into.
    void MarkStructure() {
        for (const int32_t number : FView.InUseNumbers(FR)) {
            const TXrefStreamEntry* entry = FView.Entry(FR, number);
            if (entry->Kind == TXrefStreamEntry::TKind::InObjectStream && entry->Field2 > 0 && entry->Field2 <= INT32_MAX)
                Set(static_cast<int32_t>(entry->Field2), {K::Structure});
        }
    }

    void Form(const TValue& Value) {
        Set(NumberOf(&Value), {K::Form});
        const TValuePtr form = FView.Resolve(FR, Value);
        const TValue* fields = form->Find("Fields");
        if (fields == nullptr) return;
        Set(NumberOf(fields), {K::Form});
        const TValuePtr list = FView.Resolve(FR, *fields);
        if (list->Is(TValue::TKind::Array))
            for (const TValue& field : list->Items()) Field(field, "", 0);
    }

    void Field(const TValue& Ref, const std::string& Parent, int Depth) {
        if (Depth > MaximumDepth) return;
        const TValuePtr field = FView.Resolve(FR, Ref);
        if (!field->IsDictionary()) return;
        std::string name = Parent;
        if (const TValue* t = field->Find("T"); t != nullptr && t->Is(TValue::TKind::String))
            name = Parent.empty() ? TextStringToUtf8(t->Text()) : Parent + "." + TextStringToUtf8(t->Text());
        if (!Set(NumberOf(&Ref), {K::Field, 0, 0, name}) && Ref.Is(TValue::TKind::Reference)) return;
        if (const TValue* ap = field->Find("AP"); ap != nullptr) Mark(*ap, {K::FieldAppearance, 0, 0, name});
        if (const TValue* v = field->Find("V"); v != nullptr) Mark(*v, {K::FieldValue, 0, 0, name});
        if (const TValue* kids = field->Find("Kids"); kids != nullptr) {
            const TValuePtr list = FView.Resolve(FR, *kids);
            if (list->Is(TValue::TKind::Array))
                for (const TValue& kid : list->Items()) Field(kid, name, Depth + 1);
        }
    }

    void PageTree(const TValue& Ref, int Depth) {
        if (Depth > MaximumDepth) return;
        const TValuePtr node = FView.Resolve(FR, Ref);
        if (!node->IsDictionary()) return;
        const TValue* kids = node->Find("Kids");
        const TValue* type = node->Find("Type");
        const bool tree = kids != nullptr && (type == nullptr || !type->IsName("Page"));
        if (!tree) {
            Page(Ref, *node, ++FPages);
            return;
        }
        if (!Set(NumberOf(&Ref), {K::PageTree}) && Ref.Is(TValue::TKind::Reference)) return;
        if (const TValue* resources = node->Find("Resources"); resources != nullptr)
            Mark(*resources, {K::PageResource, FPages + 1});
        Set(NumberOf(kids), {K::PageTree});
        const TValuePtr list = FView.Resolve(FR, *kids);
        if (list->Is(TValue::TKind::Array))
            for (const TValue& kid : list->Items()) PageTree(kid, Depth + 1);
    }

    void Page(const TValue& Ref, const TValue& Page, int32_t Number) {
        if (!Set(NumberOf(&Ref), {K::Page, Number}) && Ref.Is(TValue::TKind::Reference)) return;
        if (const TValue* contents = Page.Find("Contents"); contents != nullptr) Mark(*contents, {K::PageContent, Number});
        if (const TValue* annots = Page.Find("Annots"); annots != nullptr) {
            Set(NumberOf(annots), {K::AnnotationList, Number});
            const TValuePtr list = FView.Resolve(FR, *annots);
            if (list->Is(TValue::TKind::Array))
                for (const TValue& annot : list->Items()) Annotation(annot, Number);
        }
        if (const TValue* resources = Page.Find("Resources"); resources != nullptr)
            Mark(*resources, {K::PageResource, Number});
    }

    void Annotation(const TValue& Ref, int32_t Page) {
        const int32_t number = NumberOf(&Ref);
        const TValuePtr annot = FView.Resolve(FR, Ref);
        if (!annot->IsDictionary()) return;
        const TValue* subtype = annot->Find("Subtype");
        if (subtype != nullptr && subtype->IsName("Widget")) {
            // A widget outside the form is still a field to whoever fills it.
            std::string name;
            if (const TValue* t = annot->Find("T"); t != nullptr && t->Is(TValue::TKind::String)) name = TextStringToUtf8(t->Text());
            if (Set(number, {K::Field, 0, 0, name}))
                if (const TValue* ap = annot->Find("AP"); ap != nullptr) Mark(*ap, {K::FieldAppearance, 0, 0, name});
            return;
        }
        if (!Set(number, {K::Annotation, Page, number})) return;
        if (const TValue* ap = annot->Find("AP"); ap != nullptr) Mark(*ap, {K::AnnotationAppearance, Page, number});
    }

    TRevisionView& FView;
    size_t FR;
    TObjectRoles FRoles;
    int32_t FPages = 0;
};

}  // namespace

TObjectRoles ObjectRolesOf(TRevisionView& View, size_t R) { return TRoleWalk(View, R).Run(); }

TObjectRole RoleOf(const TObjectRoles& Roles, int32_t Number) {
    const auto found = Roles.find(Number);
    return found != Roles.end() ? found->second : TObjectRole{};
}

}  // namespace lumerra
