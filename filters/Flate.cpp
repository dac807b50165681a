#include "filters/Flate.h"

#include <algorithm>
#include <memory>
#include <string>

#include "filters/FastInflate.h"
#include "filters/ZlibSource.h"

namespace lumerra {

int32_t FlateChunkSize(int64_t SourceSize) {
    constexpr int64_t MinChunk = 64 * 1024;
    constexpr int64_t MaxChunk = 256 * 1024;
    return static_cast<int32_t>(std::clamp(3 * std::max<int64_t>(SourceSize, 0), MinChunk, MaxChunk));
}

void DecodeFlate(TStream& Source, TStream& Output, TFastInflater* Fast) {
    // Data in memory that is one clean zlib stream takes the fast path; the
    // rest, damaged data above all, goes through zlib's rules.
    if (auto* memory = dynamic_cast<TMemoryStream*>(&Source)) {
        const int32_t position = memory->Position();
        const int32_t size = memory->Size();
        std::unique_ptr<TFastInflater> own;
        if (Fast == nullptr && position < size) Fast = (own = std::make_unique<TFastInflater>()).get();
        if (position < size && Fast->Inflate(memory->Memory() + position, static_cast<size_t>(size - position))) {
            Output.WriteBuffer(Fast->Output(), static_cast<int32_t>(Fast->OutputSize()));
            memory->SetPosition(size);
            return;
        }
    }
    DecodeFlateWithZlib(Source, Output);
}

void DecodeFlateWithZlib(TStream& Source, TStream& Output) {
    const int32_t size = Source.Size();
    if (size <= 0) return;
    const int32_t chunkSize = FlateChunkSize(size);
    TDecompressionSource inflater(Source);
    const auto chunk = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(chunkSize));
    for (;;) {
        const int32_t count = inflater.Read(chunk.get(), chunkSize);
        if (count == 0) return;
        if (count < 0) throw Exception(TMessageCode::FlateFailed);
        Output.WriteBuffer(chunk.get(), count);
    }
}

}  // namespace lumerra
