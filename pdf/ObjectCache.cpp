#include "pdf/ObjectCache.h"

namespace lumerra {

const TValuePtr* TObjectCache::Find(int32_t Number) {
    if (Number < 0 || static_cast<size_t>(Number) >= FSlotOf.size()) return nullptr;
    const int32_t slot = FSlotOf[static_cast<size_t>(Number)];
    if (slot == None) return nullptr;
    TSlot& s = FSlots[static_cast<size_t>(slot)];
    if (s.Part == Kept && slot == FParts[Kept].Newest) return &s.Value;
    Unlink(slot);
    // Asked for again: moved to the second part, which may let others go.
    if (s.Part == Trial) MakeRoom(Kept, s.Cost);
    LinkNewest(slot, Kept);
    return &s.Value;
}

void TObjectCache::Keep(int32_t Number, TValuePtr Value, int64_t Cost) {
    if (Number < 0 || Number >= FNumberLimit) return;
    const auto number = static_cast<size_t>(Number);
    if (number >= FSlotOf.size()) {
        FSlotOf.resize(number + 1, None);
        FKeptBefore.resize(number + 1, false);
    }
    const TPartIndex part = FKeptBefore[number] ? Kept : Trial;
    FKeptBefore[number] = true;
    MakeRoom(part, Cost);
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
    LinkNewest(slot, part);
    FSlotOf[number] = slot;
}

void TObjectCache::MakeRoom(TPartIndex Part, int64_t Cost) {
    while (FParts[Part].Oldest != None && FParts[Part].Cost + Cost > FBudgets[Part]) DropOldest(Part);
}

void TObjectCache::Unlink(int32_t Slot) {
    TSlot& s = FSlots[static_cast<size_t>(Slot)];
    TPart& part = FParts[s.Part];
    if (s.Newer != None) FSlots[static_cast<size_t>(s.Newer)].Older = s.Older;
    else part.Newest = s.Older;
    if (s.Older != None) FSlots[static_cast<size_t>(s.Older)].Newer = s.Newer;
    else part.Oldest = s.Newer;
    s.Newer = s.Older = None;
    part.Cost -= s.Cost;
}

void TObjectCache::LinkNewest(int32_t Slot, TPartIndex Part) {
    TSlot& s = FSlots[static_cast<size_t>(Slot)];
    TPart& part = FParts[Part];
    s.Part = Part;
    s.Older = part.Newest;
    s.Newer = None;
    if (part.Newest != None) FSlots[static_cast<size_t>(part.Newest)].Newer = Slot;
    part.Newest = Slot;
    if (part.Oldest == None) part.Oldest = Slot;
    part.Cost += s.Cost;
}

void TObjectCache::DropOldest(TPartIndex Part) {
    const int32_t slot = FParts[Part].Oldest;
    Unlink(slot);
    TSlot& s = FSlots[static_cast<size_t>(slot)];
    FSlotOf[static_cast<size_t>(s.Number)] = None;
    s.Value.reset();
    s.Number = None;
    FFreeSlots.push_back(slot);
}

}  // namespace lumerra
