#include "model/PageObjects.h"

#include <unordered_set>

namespace lumerra {

namespace {

// Page trees are shallow; a deeper /Parent chain is damage, not a tree.
constexpr int MaximumAncestors = 1024;

}  // namespace

TValuePtr InheritedAttribute(TObjectReader& Reader, int32_t Page, std::string_view Key) {
    std::unordered_set<int32_t> seen;
    TValuePtr node = Reader.Page(Page);
    int32_t number = Page;
    for (int depth = 0; depth < MaximumAncestors && node->IsDictionary() && seen.insert(number).second; ++depth) {
        if (TValuePtr value = Reader.Get(node, Key); !value->IsNull()) return value;
        const TValue* parent = node->Find("Parent");
        if (parent == nullptr || !parent->Is(TValue::TKind::Reference)) break;
        number = parent->AsReference().Number;
        node = Reader.Object(number);
    }
    return Reader.Resolve(nullptr);
}

TIDList PageContentStreams(TObjectReader& Reader, int32_t Page) {
    TIDList streams;
    // A reference to an object the file does not hold is null too.
    const auto isStream = [&Reader](const TValue& Item) {
        return Item.Is(TValue::TKind::Reference) && !Reader.Object(Item.AsReference().Number)->IsNull();
    };
    const auto appendReferences = [&](const TValue& Array) {
        for (const TValue& item : Array.Items())
            if (isStream(item)) streams.push_back(item.AsReference().Number);
    };
    const TValuePtr page = Reader.Page(Page);
    const TValue* contents = page->Find("Contents");
    if (contents == nullptr) return streams;
    if (!contents->Is(TValue::TKind::Reference)) {
        appendReferences(*contents);
        return streams;
    }
    // A reference to the stream itself, or to an array of them.
    const TValuePtr target = Reader.Object(contents->AsReference().Number);
    if (target->Is(TValue::TKind::Array))
        appendReferences(*target);
    else if (!target->IsNull())
        streams.push_back(contents->AsReference().Number);
    return streams;
}

}  // namespace lumerra
