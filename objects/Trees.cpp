#include "objects/Trees.h"

#include <unordered_set>
#include <utility>
#include <vector>

namespace lumerra::objects {

bool ForEachLeaf(const TValue* Root, bool Numbers, const TResolve& Resolve,
                 const std::function<bool(const TValue& Key, const TValue& Value, size_t Index)>& Leaf,
                 TTreeLimits Limits) {
    std::vector<std::pair<const TValue*, int32_t>> pending{{Root, 0}};
    std::unordered_set<const TValue*> seen;
    int64_t nodes = 0;
    bool whole = true;
    while (!pending.empty()) {
        const auto [node, depth] = pending.back();
        pending.pop_back();
        if (!node || !node->IsDictionary() || !seen.insert(node).second) continue;
        if (++nodes > Limits.MaxNodes || depth > Limits.MaxDepth) {
            whole = false;
            continue;
        }
        if (const TValue* pairs = Resolve(node->Find(Numbers ? "Nums" : "Names")); pairs && pairs->Is(TValue::TKind::Array)) {
            const auto& items = pairs->Items();
            for (size_t i = 0; i + 1 < items.size(); i += 2) {
                const TValue* key = Resolve(&items[i]);
                if (key && !Leaf(*key, items[i + 1], i)) return whole;
            }
        }
        if (const TValue* kids = Resolve(node->Find("Kids")); kids && kids->Is(TValue::TKind::Array)) {
            const auto& items = kids->Items();
            for (auto it = items.rbegin(); it != items.rend(); ++it) pending.emplace_back(Resolve(&*it), depth + 1);
        }
    }
    return whole;
}

bool NameTreeHolds(const TValue* Root, std::string_view Key, const TResolve& Resolve) {
    bool found = false;
    ForEachLeaf(Root, false, Resolve, [&](const TValue& K, const TValue&, size_t) {
        found = K.Is(TValue::TKind::String) && K.Text() == Key;
        return !found;
    });
    return found;
}

}  // namespace lumerra::objects
