#include "history/RevisionChanges.h"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <unordered_set>

namespace lumerra {

namespace {

using TEntries = TRevisionEntries;

bool InUse(const TXrefStreamEntry& Entry) { return EntryInUse(Entry); }

bool SamePlace(const TXrefStreamEntry& A, const TXrefStreamEntry& B) {
    return A.Kind == B.Kind && A.Field2 == B.Field2 && A.Field3 == B.Field3;
}

const TValue* TrailerKey(const TRevision& Revision, const char* Key) {
    for (const TRevisionSection& part : Revision.Sections)
        if (const TValue* value = part.Section.Trailer.Find(Key); value != nullptr && !part.Beside) return value;
    return nullptr;
}

std::vector<std::string> ChangedTrailerKeys(const TRevision* Before, const TRevision& Revision) {
    static constexpr std::array<const char*, 4> Keys = {"Root", "Info", "Encrypt", "ID"};
    std::vector<std::string> changed;
    for (const char* key : Keys) {
        const TValue* now = TrailerKey(Revision, key);
        const TValue* then = Before != nullptr ? TrailerKey(*Before, key) : nullptr;
        const bool same = now == nullptr || then == nullptr ? now == then : SameValue(*now, *then);
        if (!same) changed.emplace_back(key);
    }
    return changed;
}

}  // namespace

bool EntryInUse(const TXrefStreamEntry& Entry) {
    return Entry.Kind == TXrefStreamEntry::TKind::InFile || Entry.Kind == TXrefStreamEntry::TKind::InObjectStream;
}

TRevisionEntries RevisionEntries(const TRevision& Revision) {
    TRevisionEntries entries;
    for (const TRevisionSection& part : Revision.Sections) {
        for (const auto& [number, entry] : part.Section.Entries) {
            const auto [slot, added] = entries.try_emplace(number, entry);
            if (!added && part.Beside && !EntryInUse(slot->second)) slot->second = entry;
        }
    }
    return entries;
}

bool SameValue(const TValue& A, const TValue& B) {
    if (A.Kind() != B.Kind()) return false;
    switch (A.Kind()) {
        case TValue::TKind::Null:
            return true;
        case TValue::TKind::Boolean:
            return A.AsBoolean() == B.AsBoolean();
        case TValue::TKind::Integer:
            return A.AsInteger() == B.AsInteger();
        case TValue::TKind::Real:
            return A.AsReal() == B.AsReal();
        case TValue::TKind::String:
        case TValue::TKind::Name:
            return A.Text() == B.Text();
        case TValue::TKind::Reference:
            return A.AsReference() == B.AsReference();
        case TValue::TKind::Array:
            return std::equal(A.Items().begin(), A.Items().end(), B.Items().begin(), B.Items().end(), SameValue);
        case TValue::TKind::Dictionary:
        case TValue::TKind::Stream:
            return std::equal(A.Entries().begin(), A.Entries().end(), B.Entries().begin(), B.Entries().end(),
                              [](const TValue::TEntry& X, const TValue::TEntry& Y) {
                                  return X.first == Y.first && SameValue(X.second, Y.second);
                              });
    }
    return false;
}

std::vector<TRevisionChanges> CompareRevisions(const std::vector<TRevision>& Revisions) {
    std::vector<TRevisionChanges> result;
    TEntries state;  // each object as the revisions so far left it
    for (size_t r = 0; r < Revisions.size(); ++r) {
        const TEntries entries = RevisionEntries(Revisions[r]);
        TRevisionChanges changes;
        // Objects in an object stream that this revision wrote anew are
        // changed with it, wherever the entry says they are.
        std::unordered_set<int64_t> rewritten;
        for (const auto& [number, entry] : entries) {
            const auto before = state.find(number);
            if (InUse(entry) && (before == state.end() || !SamePlace(before->second, entry))) rewritten.insert(number);
        }
        for (const auto& [number, entry] : entries) {
            const auto before = state.find(number);
            const bool wasInUse = before != state.end() && InUse(before->second);
            if (InUse(entry) && !wasInUse)
                changes.Added.push_back(number);
            else if (InUse(entry) && (!SamePlace(before->second, entry) ||
                                      (entry.Kind == TXrefStreamEntry::TKind::InObjectStream &&
                                       rewritten.count(entry.Field2) != 0)))
                changes.Changed.push_back(number);
            else if (!InUse(entry) && wasInUse)
                changes.Freed.push_back(number);
        }
        for (const auto& [number, entry] : entries) state[number] = entry;
        for (auto* list : {&changes.Added, &changes.Changed, &changes.Freed}) std::sort(list->begin(), list->end());
        changes.TrailerChanged = ChangedTrailerKeys(r > 0 ? &Revisions[r - 1] : nullptr, Revisions[r]);
        result.push_back(std::move(changes));
    }
    return result;
}

}  // namespace lumerra
