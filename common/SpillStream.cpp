#include "common/SpillStream.h"

namespace lumerra {

int32_t TSpillStream::Write(const void* buffer, int32_t count) {
    if (!FFile && int64_t{FMemory.Position()} + count > FThreshold) {
        auto file = TFileStream::CreateTemporary();
        file->WriteBuffer(FMemory.Memory(), FMemory.Size());
        file->SetPosition(FMemory.Position());
        FMemory.Clear();
        FFile = std::move(file);
    }
    return Current().Write(buffer, count);
}

void TSpillStream::Clear() {
    FFile.reset();
    // A modest buffer is kept for the next stream instead of being grown
    // again from nothing; a large one is released.
    if (FMemory.Capacity() <= RetainedCapacity)
        FMemory.SetSize(0);
    else
        FMemory.Clear();
}

}  // namespace lumerra
