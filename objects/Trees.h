// Name trees and number trees (ISO 32000-2, 7.9.6 and 7.9.7) walked to
// their leaves: every node is visited once, at most MaxNodes of them and
// MaxDepth deep, so that a hostile tree costs bounded time.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "syntax/Value.h"

namespace lumerra::objects {

using TResolve = std::function<const TValue*(const TValue*)>;

struct TTreeLimits {
    int32_t MaxDepth = 32;
    int64_t MaxNodes = 100'000;
};

// Calls Leaf(Key, Value) for each pair of the tree's /Names (Numbers false)
// or /Nums (true) arrays; Value is as written (maybe a reference). Index is
// the pair's position in its node's array. Stops early when Leaf returns
// false. Returns false when a limit cut the walk short.
bool ForEachLeaf(const TValue* Root, bool Numbers, const TResolve& Resolve,
                 const std::function<bool(const TValue& Key, const TValue& Value, size_t Index)>& Leaf,
                 TTreeLimits Limits = {});

// Whether a name tree holds Key.
bool NameTreeHolds(const TValue* Root, std::string_view Key, const TResolve& Resolve);

}  // namespace lumerra::objects
