// /RunLengthDecode (ISO 32000-1, 7.4.5) as a stage of the chain.
#pragma once

#include "filters/FilterStage.h"

namespace lumerra {

// A length byte n of 0 to 127 is followed by n + 1 bytes to copy, one of 129
// to 255 by one byte to repeat 257 - n times; 128 ends the data. Input that
// runs out first is damage (RunLengthFailed, where it ran out), after every
// byte it holds, a partial copy run's included.
class TRunLengthStage final : public TFilterStage {
public:
    using TFilterStage::TFilterStage;
    size_t Read(std::span<uint8_t> Out) override;

private:
    int32_t FCopy = 0;    // bytes of a copy run still to come
    int32_t FRepeat = 0;  // repeats of FByte still to give
    uint8_t FByte = 0;
};

}  // namespace lumerra
