// What the LZW, RunLength and predictor targets check of every output: each
// decoder runs as a chain of its own, appends after what the stream held,
// gives the model's bytes, and is damaged where the model's data is; up to
// the cap, it gives the model's start.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "filters/ExtendedChain.h"
#include "fuzz/FuzzSupport.h"

namespace lumerra::fuzz {

// How a model's data ended.
enum class TDecodeEnd { Complete, Truncated, Invalid, Capped, NotDecodable };

// What the output holds before the decoder runs.
inline constexpr std::string_view OldContent = "old";

// Expected and ExpectedEnd are the model's answer without a cap (the model
// may stop once Expected is past the cap).
inline void RequireModelOutput(const uint8_t* Data, size_t Size, const std::vector<TFilterStep>& Steps, int32_t Cap,
                               std::string_view Expected, TDecodeEnd ExpectedEnd) {
    TMemoryStream output;
    output.WriteBuffer(OldContent.data(), static_cast<int32_t>(OldContent.size()));
    const std::vector<TFilterDiagnostic> damage = ApplyExtendedFilters({Data, Size}, Steps, output, Cap);
    const std::string_view got = Bytes(output);
    Require(got.substr(0, OldContent.size()) == OldContent, "the output is appended to");
    const std::string_view appended = got.substr(OldContent.size());
    Require(damage.size() <= 1, "one filter is damaged once at most");
    // At the cap the chain stops pulling: damage after it is not met.
    if (Expected.size() >= static_cast<size_t>(Cap)) {
        Require(appended == Expected.substr(0, static_cast<size_t>(Cap)), "capped output is the model's start");
        return;
    }
    Require(appended == Expected, "output is the model's");
    const bool damaged = ExpectedEnd == TDecodeEnd::Truncated || ExpectedEnd == TDecodeEnd::Invalid;
    Require(damage.empty() != damaged, "the data is damaged where the model's is");
    for (const TFilterDiagnostic& d : damage)
        Require(d.Filter == 0 && d.Offset >= 0 && d.Name == Steps.front().Name, "damage names its filter");
}

}  // namespace lumerra::fuzz
