// The parsed objects an object reader keeps, in two parts each with its own
// budget, the least recently used let go first in each:
//   - on trial: objects parsed once and not asked for again yet;
//   - kept: objects asked for again, or parsed again after being let go.
// A reader that passes over many objects once (a page tree, a long list of
// fonts) churns only the first part, so the objects a document shares (large
// resource dictionaries, fonts, forms) are parsed at most twice per reader
// while they fit in the second.
//
// Looked up by object number in a table of slots rather than a node-based
// map: a reader asks for objects tens of thousands of times per document.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "syntax/Value.h"

namespace lumerra {

// A value with what keeps it alive: the object it was found in.
using TValuePtr = std::shared_ptr<const TValue>;

class TObjectCache {
public:
    struct TBudgets {
        int64_t Trial = 0;  // objects parsed once
        int64_t Kept = 0;   // objects asked for more than once
    };
    // Numbers at or past NumberLimit are not kept: a file's table bounds its
    // numbers, and a reference past it is no object to keep.
    TObjectCache(TBudgets Budgets, int32_t NumberLimit) : FBudgets{Budgets.Trial, Budgets.Kept}, FNumberLimit(NumberLimit) {}

    // Object Number's value when kept, now the most recently used of the
    // second part; else null.
    const TValuePtr* Find(int32_t Number);
    // Keeps Value as object Number (not kept already): on trial the first
    // time the number is kept, in the second part after that. The least
    // recently used of that part go while its costs pass its budget.
    void Keep(int32_t Number, TValuePtr Value, int64_t Cost);

    int64_t Cost() const { return FParts[0].Cost + FParts[1].Cost; }

private:
    static constexpr int32_t None = -1;
    enum TPartIndex : uint8_t { Trial = 0, Kept = 1 };
    struct TSlot {
        TValuePtr Value;
        int64_t Cost = 0;
        int32_t Number = None;
        int32_t Newer = None, Older = None;
        TPartIndex Part = Trial;
    };
    struct TPart {
        int64_t Cost = 0;
        int32_t Newest = None, Oldest = None;
    };
    void Unlink(int32_t Slot);
    void LinkNewest(int32_t Slot, TPartIndex Part);
    void DropOldest(TPartIndex Part);
    // Lets go of Part's oldest until Cost more fits its budget.
    void MakeRoom(TPartIndex Part, int64_t Cost);

    std::array<int64_t, 2> FBudgets;
    int32_t FNumberLimit;
    std::array<TPart, 2> FParts;
    std::vector<TSlot> FSlots;
    std::vector<int32_t> FFreeSlots;
    std::vector<int32_t> FSlotOf;  // by object number: its slot, or None
    std::vector<bool> FKeptBefore;  // by object number: kept once already
};

}  // namespace lumerra
