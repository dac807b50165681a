// /FlateDecode as a stage of extended reading's chain.
#pragma once

#include <zlib.h>

#include <memory>

#include "filters/FastInflate.h"
#include "filters/FilterStage.h"

namespace lumerra {

// Inflates zlib data; what follows its end is ignored, and data that is cut
// short gives what could be inflated. Corrupt data, or data that asks for a
// preset dictionary, is damage (FlateFailed) where zlib stopped reading,
// after the bytes inflated before it.
//
// The stream's own bytes (a Flate stage first in the chain) take the fast
// whole-buffer path when they are one clean zlib stream of a bounded size;
// everything else is inflated by zlib as it is pulled. Both give the same
// bytes.
class TFlateStage final : public TFilterStage {
public:
    explicit TFlateStage(TStageInput Input);
    ~TFlateStage() override;
    size_t Read(std::span<uint8_t> Out) override;

private:
    size_t ReadFast(std::span<uint8_t> Out);
    size_t ReadZlib(std::span<uint8_t> Out);

    bool FStarted = false;
    std::unique_ptr<TFastInflater> FFast;  // set while its output is given
    size_t FFastGiven = 0;
    z_stream FZlib{};
};

}  // namespace lumerra
