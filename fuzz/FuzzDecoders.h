// What the LZW, RunLength and predictor targets check of every output: it
// is appended after what the stream held, it is the model's, and past the
// cap it is the model's start and ends as Capped.
#pragma once

#include <cstdint>
#include <string_view>

#include "filters/DecodeOutput.h"
#include "fuzz/FuzzSupport.h"

namespace lumerra::fuzz {

// What the output holds before the decoder runs.
inline constexpr std::string_view OldContent = "old";

inline void StartOutput(TMemoryStream& Output) {
    Output.WriteBuffer(OldContent.data(), static_cast<int32_t>(OldContent.size()));
}

// Expected and ExpectedEnd are the model's answer without a cap (the model
// may stop once Expected is past the cap).
inline void RequireModelOutput(TMemoryStream& Output, TDecodeEnd End, int32_t Cap, std::string_view Expected,
                               TDecodeEnd ExpectedEnd) {
    const std::string_view got = Bytes(Output);
    Require(got.substr(0, OldContent.size()) == OldContent, "the output is appended to");
    const std::string_view appended = got.substr(OldContent.size());
    if (Expected.size() > static_cast<size_t>(Cap)) {
        Require(appended == Expected.substr(0, static_cast<size_t>(Cap)), "capped output is the model's start");
        Require(End == TDecodeEnd::Capped, "output past the cap is reported");
    } else {
        Require(appended == Expected, "output is the model's");
        Require(End == ExpectedEnd, "the data ends where the model's does");
    }
}

}  // namespace lumerra::fuzz
