// Extended reading's part of the analyser for the catalog and the page tree:
// read by key from parsed objects (ISO 32000-2, 7.7.2 and 7.7.3).
#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "pdf/ExtendedAnalyst.h"
#include "pdf/ObjectReader.h"

namespace lumerra {

namespace {

// The object a reference entry names; -1 for any other value.
int32_t ReferenceOf(const TValue* Value) {
    return Value != nullptr && Value->Is(TValue::TKind::Reference) ? Value->AsReference().Number : -1;
}

// A page: /Type /Page, or a dictionary that says nothing of its type and has
// no kids.
bool IsLeaf(const TValue& Node) {
    if (const TValue* type = Node.Find("Type"); type != nullptr && type->Is(TValue::TKind::Name))
        return type->IsName("Page");
    return Node.Find("Kids") == nullptr;
}

}  // namespace

void TExtendedAnalyst::ReadCatalog() {
    TObjectReader& reader = TreeReader();
    const TValuePtr catalog = reader.Object(Doc().RootID);
    Loading().HasStructTree = catalog->Find("StructTreeRoot") != nullptr;
    Loading().OutlinesID = ReferenceOf(catalog->Find("Outlines"));
    Loading().FirstPagesID = ReferenceOf(catalog->Find("Pages"));
    Loading().MetadataID = ReferenceOf(catalog->Find("Metadata"));
}

void TExtendedAnalyst::ReadPageCount() {
    TObjectReader& reader = TreeReader();
    const TValuePtr count = reader.Get(reader.Object(Doc().FirstPagesID), "Count");
    if (count->Is(TValue::TKind::Integer) && count->AsInteger() >= 0 && count->AsInteger() <= INT32_MAX)
        Loading().PageCount = static_cast<int32_t>(count->AsInteger());
}

const TIDList& TExtendedAnalyst::PageList() {
    if (Doc().PageList) return *Doc().PageList;
    TObjectReader& reader = TreeReader();
    TIDList pages;
    // Depth first with an explicit stack. A kid already on the current path
    // (a cycle) is not entered, and a node whose kids were walked once is not
    // walked again; a page listed twice is listed twice.
    struct TFrame {
        int32_t Node;
        TValuePtr Kids;
        size_t Next = 0;
    };
    std::vector<TFrame> path;
    std::unordered_set<int32_t> onPath, expanded;
    // Only what tells a page from a node is read of each.
    const TParser::TKeyFilter keys = {"Type", "Kids"};
    const auto enter = [&](int32_t Number) {
        const TValuePtr node = reader.ObjectKeys(Number, keys);
        if (!node->IsDictionary()) return;
        if (IsLeaf(*node)) {
            pages.push_back(Number);
            return;
        }
        TValuePtr kids = reader.Get(node, "Kids");
        if (kids->Is(TValue::TKind::Array) && expanded.insert(Number).second) {
            onPath.insert(Number);
            path.push_back({Number, std::move(kids)});
        }
    };
    // A page written in place gets a number past the table; it inherits
    // from the node that lists it when it does not name its parent.
    const auto enterDirect = [&](const TValue& Page, int32_t Parent) {
        if (!IsLeaf(Page) || Doc().ObjectCount + Doc().DirectPages.size() >= INT32_MAX) return;
        std::vector<TValue::TEntry> entries = Page.Entries();
        if (Page.Find("Parent") == nullptr) entries.emplace_back("Parent", TValue::Reference({Parent, 0}));
        pages.push_back(Doc().ObjectCount + static_cast<int32_t>(Doc().DirectPages.size()));
        Loading().DirectPages.push_back(std::make_shared<const TValue>(TValue::Dictionary(std::move(entries))));
    };
    enter(Doc().FirstPagesID);
    while (!path.empty()) {
        TFrame& top = path.back();
        if (top.Next == top.Kids->Items().size()) {
            onPath.erase(top.Node);
            path.pop_back();
            continue;
        }
        const TValue& item = top.Kids->Items()[top.Next++];
        if (item.Is(TValue::TKind::Dictionary)) {
            enterDirect(item, top.Node);
            continue;
        }
        const int32_t kid = ReferenceOf(&item);
        if (kid >= 0 && onPath.count(kid) == 0) enter(kid);
    }
    Loading().PageList = std::move(pages);
    return *Doc().PageList;
}

TObjectReader& TExtendedAnalyst::TreeReader() {
    if (!FTreeReader) FTreeReader = std::make_unique<TObjectReader>(*this);
    return *FTreeReader;
}

void TExtendedAnalyst::ReadFirstPage() {
    const TIDList& pages = PageList();
    Loading().FirstPageID = pages.empty() ? -1 : pages.front();
    if (Doc().FirstPageID == -1) return;
    TObjectReader& reader = TreeReader();
    // The box is inherited from the nearest ancestor that has one.
    std::unordered_set<int32_t> seen;
    for (int32_t node = Doc().FirstPageID; node >= 0 && seen.insert(node).second;) {
        const TValuePtr object = node == Doc().FirstPageID ? reader.Page(node) : reader.Object(node);
        const TValuePtr box = reader.Get(object, "MediaBox");
        if (box->Is(TValue::TKind::Array) && box->Items().size() == 4) {
            int32_t values[4] = {};
            for (size_t i = 0; i < 4; ++i) {
                const TValuePtr item = reader.Item(box, i);
                // Rounded to the nearest, as the default reading rounds.
                if (item->IsNumber())
                    values[i] = static_cast<int32_t>(std::clamp<double>(std::round(item->AsReal()), INT32_MIN, INT32_MAX));
            }
            Loading().MediaBox = {values[0], values[1], values[2], values[3]};
            return;
        }
        node = ReferenceOf(object->Find("Parent"));
    }
}

}  // namespace lumerra
