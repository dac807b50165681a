#include "decoder/ModelResources.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "model/PageObjects.h"
#include "pdf/PDFAnalyst.h"
#include "syntax/Tokenizer.h"

namespace lumerra {

namespace {

// A page's form children are collected up to this many.
constexpr int32_t MaximumFormChildren = 10000;

struct TCategory {
    const char* Key;
    TPDFResourceList TPageResource::*List;
};

constexpr TCategory Categories[] = {
    {"Font", &TPageResource::Fonts},         {"XObject", &TPageResource::XObjects},
    {"ColorSpace", &TPageResource::ColorSpaces}, {"ExtGState", &TPageResource::ExtGStates},
    {"Pattern", &TPageResource::Patterns},   {"Properties", &TPageResource::Properties},
    {"Shading", &TPageResource::Shadings},
};

class TModelCollector {
public:
    TModelCollector(TObjectReader& Reader, TPageResource& Page) : FReader(Reader), FPage(Page) {}

    void Collect(int32_t P) {
        ReadResources(InheritedAttribute(FReader, P, "Resources"), FPage);
        CollectForms();
    }

private:
    void ReadResources(const TValuePtr& Resources, TPageResource& Record) {
        if (!Resources->IsDictionary()) return;
        for (const TCategory& category : Categories) {
            const TValuePtr entries = FReader.Get(Resources, category.Key);
            if (!entries->IsDictionary()) continue;
            TPDFResourceList& list = Record.*category.List;
            for (const auto& [key, value] : entries->Entries())
                if (!IsNull(value)) list.Add(NormalName(key), ObjectNumber(value));
        }
    }

    // Forms that name one resource dictionary share its lists: the
    // dictionary is read once per page, however many forms name it.
    void ReadFormResources(int32_t Form, TPageResource& Record) {
        const TValuePtr form = FReader.Object(Form);
        const TValue* entry = form->IsDictionary() ? form->Find("Resources") : nullptr;
        if (entry == nullptr || !entry->Is(TValue::TKind::Reference)) {
            ReadResources(FReader.Get(form, "Resources"), Record);
            return;
        }
        const auto [known, added] = FShared.try_emplace(entry->AsReference().Number);
        if (added) ReadResources(FReader.Resolve(TValuePtr(form, entry)), known->second);
        for (const TCategory& category : Categories) Record.*category.List = known->second.*category.List;
    }

    // A null value, or a reference to an object the file does not hold,
    // is as if the entry were absent.
    bool IsNull(const TValue& Value) {
        return Value.IsNull() || (Value.Is(TValue::TKind::Reference) && FReader.Object(Value.AsReference().Number)->IsNull());
    }

    int32_t ObjectNumber(const TValue& Value) const {
        if (!Value.Is(TValue::TKind::Reference)) return -1;
        const int32_t number = Value.AsReference().Number;
        return FReader.Analyst().IsValidID(number) ? number : -1;
    }

    bool IsForm(int32_t Number) {
        if (Number < 0) return false;
        const TValuePtr object = FReader.Object(Number);
        return object->Is(TValue::TKind::Stream) && FReader.Get(object, "Subtype")->IsName("Form");
    }

    // Depth first, in pre-order: a form is a child of the page the first
    // time it is met, and its own forms follow it.
    void CollectForms() {
        struct TFrame {
            const TPDFResourceList* XObjects;
            int32_t Next;
        };
        std::vector<TFrame> path{{&FPage.XObjects, 0}};
        std::unordered_set<int32_t> met, notForms;
        std::unordered_map<const void*, int32_t> passed;
        while (!path.empty()) {
            TFrame& top = path.back();
            // Frames of lists that share their entries all start at the
            // first: what one has passed, the others need not look at again.
            int32_t& reached = passed[top.XObjects->Entries()];
            top.Next = std::max(top.Next, reached);
            if (top.Next == top.XObjects->Count()) {
                path.pop_back();
                continue;
            }
            const int32_t i = top.Next++;
            reached = top.Next;
            const int32_t form = top.XObjects->GetObjectNumber(i);
            // A form met before is not looked at again: a page whose forms
            // each list all the others asks about each number once.
            if (met.contains(form) || notForms.contains(form)) continue;
            if (!IsForm(form)) {
                notForms.insert(form);
                continue;
            }
            met.insert(form);
            if (FPage.ChildCount() == MaximumFormChildren) {
                FPage.FormLimitReached = true;
                return;
            }
            TPageChildResourceList& child = FPage.AddChild(top.XObjects->GetName(i), form);
            ReadFormResources(form, child.Resources);
            path.push_back({&child.Resources.XObjects, 0});
        }
    }

    TObjectReader& FReader;
    TPageResource& FPage;
    // The lists of each resource dictionary that forms named, by number.
    std::unordered_map<int32_t, TPageResource> FShared;
};

}  // namespace

void CollectModelResources(TObjectReader& Reader, int32_t P, TPageResource& Page) {
    TModelCollector(Reader, Page).Collect(P);
}

}  // namespace lumerra
