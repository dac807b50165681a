#include "pdf/ObjectStreamCache.h"

namespace lumerra {

const TObjectStreamCache::TEntry* TObjectStreamCache::Find(int32_t Number) {
    const auto found = FEntries.find(Number);
    if (found == FEntries.end()) return nullptr;
    FUses.splice(FUses.begin(), FUses, found->second.Use);
    return &found->second;
}

TDecodedObjectStreamPtr TObjectStreamCache::Get(int32_t Number, const TDecoder& Decode) {
    {
        const std::lock_guard<std::mutex> lock(FMutex);
        if (const TEntry* known = Find(Number)) return known->Stream;
    }
    std::optional<TDecodedObjectStream> decoded = Decode();
    const std::lock_guard<std::mutex> lock(FMutex);
    // Another reader may have kept it meanwhile.
    if (const TEntry* known = Find(Number)) return known->Stream;
    TDecodedObjectStreamPtr stream;
    if (decoded) {
        FBytes += decoded->Data.size();
        stream = std::make_shared<const TDecodedObjectStream>(std::move(*decoded));
    }
    FUses.push_front(Number);
    FEntries[Number] = {stream, FUses.begin()};
    LetGoBeyondLimit(Number);
    return stream;
}

void TObjectStreamCache::LetGoBeyondLimit(int32_t Keep) {
    while (FBytes > FByteLimit && FUses.size() > 1) {
        const int32_t oldest = FUses.back();
        if (oldest == Keep) break;
        const auto entry = FEntries.find(oldest);
        if (entry->second.Stream) FBytes -= entry->second.Stream->Data.size();
        FEntries.erase(entry);
        FUses.pop_back();
    }
}

}  // namespace lumerra
