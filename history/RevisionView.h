// The document as one of its revisions left it: each object read through
// the entries of that revision and the ones before it, so that an object
// can be compared between revisions.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_set>
#include <vector>

#include "history/RevisionChanges.h"
#include "pdf/ObjectStreamCache.h"
#include "syntax/Value.h"

namespace lumerra {

class TObjectReader;
class TMemoryStream;

class TRevisionView {
public:
    TRevisionView(TObjectReader& Reader, const std::vector<TRevision>& Revisions);

    size_t Count() const { return FEntries.size(); }
    // The entry of Number as revision R (from 0) left it; null when no
    // revision up to R lists it.
    const TXrefStreamEntry* Entry(size_t R, int32_t Number) const;
    bool InUse(size_t R, int32_t Number) const;
    // The numbers in use after revision R, ascending.
    std::vector<int32_t> InUseNumbers(size_t R) const;

    // Object Number as revision R left it; the null value when it was not
    // in use or cannot be read.
    TValuePtr Object(size_t R, int32_t Number);
    // V, or what it names in revision R, through chains of references.
    TValuePtr Resolve(size_t R, const TValue& V);
    // The entry Key of Dict, resolved in revision R; null when absent.
    TValuePtr Get(size_t R, const TValue& Dict, std::string_view Key);
    // The trailer key Key of revision R, or of the newest revision before it
    // that has it; null when none has.
    const TValue* TrailerKey(size_t R, const char* Key) const;

    // The stored bytes of stream Number in revision R, at most a bound;
    // empty for no stream.
    std::string StreamBytes(size_t R, int32_t Number);
    // Whether Number reads the same in revisions A and B, a stream's stored
    // bytes included.
    bool SameObject(size_t A, size_t B, int32_t Number);

    // The objects revision R's /Root, /Info and /Encrypt reach.
    std::unordered_set<int32_t> Reachable(size_t R);

private:
    using TPlace = std::tuple<int, int64_t, int64_t>;
    TValuePtr Parse(size_t R, int32_t Number, const TXrefStreamEntry& Entry);
    const TDecodedObjectStream* StreamAt(size_t R, int32_t Number);

    TObjectReader& FReader;
    const std::vector<TRevision>& FRevisions;
    std::vector<TRevisionEntries> FEntries;
    std::map<TPlace, TValuePtr> FParsed;
    std::map<int64_t, std::optional<TDecodedObjectStream>> FObjectStreams;  // by their offset
    std::vector<uint8_t> FWindow;
    TValuePtr FNull;
};

}  // namespace lumerra
