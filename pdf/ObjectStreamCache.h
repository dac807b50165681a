// Decoded object streams of one document, kept so that each is decoded once
// for all the document's readers, whatever their thread, while the memory
// they take stays bounded: past the limit, the streams used least recently
// are let go (and decoded again should they be needed). A stream handed out
// lives on in its holder after it is let go.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "pdf/ObjectStream.h"

namespace lumerra {

struct TDecodedObjectStream {
    std::vector<uint8_t> Data;
    TObjectStreamIndex Index;
};

using TDecodedObjectStreamPtr = std::shared_ptr<const TDecodedObjectStream>;

class TObjectStreamCache {
public:
    static constexpr size_t DefaultByteLimit = 64 * 1024 * 1024;
    explicit TObjectStreamCache(size_t ByteLimit = DefaultByteLimit) : FByteLimit(ByteLimit) {}

    using TDecoder = std::function<std::optional<TDecodedObjectStream>()>;
    // Object stream Number, decoded by Decode the first time (or again after
    // it was let go); null when it cannot be decoded. Decode runs outside
    // the lock, so that readers wait for no one's decoding: two readers may
    // decode the same stream at once, and the first one kept is the one
    // both get. A decoding that needs its own stream is the caller's to
    // refuse (each reader knows what it is decoding).
    TDecodedObjectStreamPtr Get(int32_t Number, const TDecoder& Decode);

private:
    struct TEntry {
        TDecodedObjectStreamPtr Stream;  // null: not decodable
        std::list<int32_t>::iterator Use;
    };
    // With FMutex held.
    const TEntry* Find(int32_t Number);
    void LetGoBeyondLimit(int32_t Keep);

    std::mutex FMutex;
    size_t FByteLimit;
    size_t FBytes = 0;
    std::unordered_map<int32_t, TEntry> FEntries;
    std::list<int32_t> FUses;  // most recent first
};

}  // namespace lumerra
