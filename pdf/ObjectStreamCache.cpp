#include "pdf/ObjectStreamCache.h"

namespace lumerra {

const TDecodedObjectStream* TObjectStreamCache::Get(int32_t Number, const TDecoder& Decode) {
    if (const auto found = FEntries.find(Number); found != FEntries.end()) {
        FUses.splice(FUses.begin(), FUses, found->second.Use);
        return found->second.Stream.get();
    }
    if (!FDecoding.insert(Number).second) return nullptr;
    std::optional<TDecodedObjectStream> decoded;
    try {
        decoded = Decode();
    } catch (...) {
        FDecoding.erase(Number);
        throw;
    }
    FDecoding.erase(Number);
    std::shared_ptr<const TDecodedObjectStream> stream;
    if (decoded) {
        FBytes += decoded->Data.size();
        stream = std::make_shared<const TDecodedObjectStream>(std::move(*decoded));
    }
    FUses.push_front(Number);
    FEntries[Number] = {stream, FUses.begin()};
    LetGoBeyondLimit(Number);
    return FEntries[Number].Stream.get();
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
