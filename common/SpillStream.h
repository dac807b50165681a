// A stream that keeps its bytes in memory up to a threshold and moves them to
// an unlinked temporary file beyond it, so that one huge decoded stream cannot
// exhaust memory.
#pragma once

#include <memory>

#include "common/Stream.h"

namespace lumerra {

class TSpillStream final : public TStream {
public:
    static constexpr int32_t DefaultThreshold = 32 * 1024 * 1024;

    explicit TSpillStream(int32_t threshold = DefaultThreshold) : FThreshold(threshold) {}

    int32_t Read(void* buffer, int32_t count) override { return Current().Read(buffer, count); }
    bool ReadByte(uint8_t& byte) override { return Current().ReadByte(byte); }
    const uint8_t* ReadWindow(int32_t& available) override { return Current().ReadWindow(available); }
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override { return Current().Seek(offset, origin); }
    int64_t Size() override { return Current().Size(); }

    // Empties the stream, releasing its temporary file and any memory beyond
    // RetainedCapacity.
    void Clear();
    static constexpr int32_t RetainedCapacity = 4 * 1024 * 1024;
    bool Spilled() const { return FFile != nullptr; }
    // Memory held for bytes not on disk.
    int32_t Capacity() const { return FMemory.Capacity(); }

private:
    TStream& Current() { return FFile ? static_cast<TStream&>(*FFile) : FMemory; }

    int32_t FThreshold;
    TMemoryStream FMemory;
    std::unique_ptr<TFileStream> FFile;
};

}  // namespace lumerra
