#include "filters/FilterStage.h"

#include <algorithm>

namespace lumerra {

TStageInput::TStageInput(std::span<const uint8_t> Data) : FAt(Data) {}

TStageInput::TStageInput(TPullSource& Upstream, int64_t Limit)
    : FUpstream(&Upstream), FLimit(std::max<int64_t>(Limit, 0)),
      FBuffer(std::make_unique_for_overwrite<uint8_t[]>(BufferSize)) {}

bool TStageInput::Refill() {
    if (FUpstream != nullptr && FLimit == 0 && !FProbed) {
        // One byte past the limit tells a cut from an input that ends there.
        FProbed = true;
        uint8_t probe = 0;
        FCut = FUpstream->Read({&probe, 1}) > 0;
    }
    if (FUpstream == nullptr || FLimit == 0) return false;
    const size_t want = static_cast<size_t>(std::min<int64_t>(FLimit, BufferSize));
    const size_t n = FUpstream->Read({FBuffer.get(), want});
    FLimit -= static_cast<int64_t>(n);
    FAt = {FBuffer.get(), n};
    return n > 0;
}

}  // namespace lumerra
