#include "pdf/ObjectCache.h"

namespace lumerra {

const TValuePtr* TObjectCache::Find(int32_t Number) {
    if (Number < 0 || static_cast<size_t>(Number) >= FSlotOf.size()) return nullptr;
    const int32_t slot = FSlotOf[static_cast<size_t>(Number)];
    if (slot == None) return nullptr;
    if (slot != FNewest) {
        Unlink(slot);
        LinkNewest(slot);
    }
    return &FSlots[static_cast<size_t>(slot)].Value;
}

void TObjectCache::Keep(int32_t Number, TValuePtr Value, int64_t Cost) {
    if (Number < 0 || Number >= FNumberLimit) return;
    while (FOldest != None && FCost + Cost > FBudget) DropOldest();
    int32_t slot;
    if (!FFreeSlots.empty()) {
        slot = FFreeSlots.back();
        FFreeSlots.pop_back();
    } else {
        slot = static_cast<int32_t>(FSlots.size());
        FSlots.emplace_back();
    }
    TSlot& kept = FSlots[static_cast<size_t>(slot)];
    kept.Value = std::move(Value);
    kept.Cost = Cost;
    kept.Number = Number;
    LinkNewest(slot);
    if (static_cast<size_t>(Number) >= FSlotOf.size()) FSlotOf.resize(static_cast<size_t>(Number) + 1, None);
    FSlotOf[static_cast<size_t>(Number)] = slot;
    FCost += Cost;
}

void TObjectCache::Unlink(int32_t Slot) {
    TSlot& s = FSlots[static_cast<size_t>(Slot)];
    if (s.Newer != None) FSlots[static_cast<size_t>(s.Newer)].Older = s.Older;
    else FNewest = s.Older;
    if (s.Older != None) FSlots[static_cast<size_t>(s.Older)].Newer = s.Newer;
    else FOldest = s.Newer;
    s.Newer = s.Older = None;
}

void TObjectCache::LinkNewest(int32_t Slot) {
    TSlot& s = FSlots[static_cast<size_t>(Slot)];
    s.Older = FNewest;
    s.Newer = None;
    if (FNewest != None) FSlots[static_cast<size_t>(FNewest)].Newer = Slot;
    FNewest = Slot;
    if (FOldest == None) FOldest = Slot;
}

void TObjectCache::DropOldest() {
    const int32_t slot = FOldest;
    Unlink(slot);
    TSlot& s = FSlots[static_cast<size_t>(slot)];
    FSlotOf[static_cast<size_t>(s.Number)] = None;
    FCost -= s.Cost;
    s.Value.reset();
    s.Number = None;
    FFreeSlots.push_back(slot);
}

}  // namespace lumerra
