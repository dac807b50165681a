// Decoded object streams, kept so that each is decoded once per document
// while the memory they take stays bounded: past the limit, the streams used
// least recently are let go (and decoded again should they be needed).
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "pdf/ObjectStream.h"

namespace lumerra {

struct TDecodedObjectStream {
    std::vector<uint8_t> Data;
    TObjectStreamIndex Index;
};

class TObjectStreamCache {
public:
    static constexpr size_t DefaultByteLimit = 64 * 1024 * 1024;
    explicit TObjectStreamCache(size_t ByteLimit = DefaultByteLimit) : FByteLimit(ByteLimit) {}

    using TDecoder = std::function<std::optional<TDecodedObjectStream>()>;
    // Object stream Number, decoded by Decode the first time (or again after
    // it was let go). Null when it cannot be decoded, and while it is being
    // decoded: a stream whose decoding needs itself is refused, not looped.
    // The result stays valid until the next call.
    const TDecodedObjectStream* Get(int32_t Number, const TDecoder& Decode);

private:
    struct TEntry {
        std::shared_ptr<const TDecodedObjectStream> Stream;  // null: not decodable
        std::list<int32_t>::iterator Use;
    };
    void LetGoBeyondLimit(int32_t Keep);

    size_t FByteLimit;
    size_t FBytes = 0;
    std::unordered_map<int32_t, TEntry> FEntries;
    std::list<int32_t> FUses;  // most recent first
    std::unordered_set<int32_t> FDecoding;
};

}  // namespace lumerra
