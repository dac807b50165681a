// The parsed objects an object reader keeps, the least recently used let go
// first once their cost passes a budget.
//
// Looked up by object number in a table of slots rather than a node-based
// map: a reader asks for objects tens of thousands of times per document.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "syntax/Value.h"

namespace lumerra {

// A value with what keeps it alive: the object it was found in.
using TValuePtr = std::shared_ptr<const TValue>;

class TObjectCache {
public:
    // Numbers at or past NumberLimit are not kept: a file's table bounds its
    // numbers, and a reference past it is no object to keep.
    TObjectCache(int64_t Budget, int32_t NumberLimit) : FBudget(Budget), FNumberLimit(NumberLimit) {}

    // Object Number's value when kept, now the most recently used; else null.
    const TValuePtr* Find(int32_t Number);
    // Keeps Value as object Number (not kept already), letting go of the
    // least recently used while the costs pass the budget.
    void Keep(int32_t Number, TValuePtr Value, int64_t Cost);

    int64_t Cost() const { return FCost; }

private:
    static constexpr int32_t None = -1;
    struct TSlot {
        TValuePtr Value;
        int64_t Cost = 0;
        int32_t Number = None;
        int32_t Newer = None, Older = None;
    };
    void Unlink(int32_t Slot);
    void LinkNewest(int32_t Slot);
    void DropOldest();

    int64_t FBudget;
    int32_t FNumberLimit;
    int64_t FCost = 0;
    std::vector<TSlot> FSlots;
    std::vector<int32_t> FFreeSlots;
    std::vector<int32_t> FSlotOf;  // by object number: its slot, or None
    int32_t FNewest = None, FOldest = None;
};

}  // namespace lumerra
