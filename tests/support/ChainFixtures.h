// Decoding through extended reading's chain in the filter tests: the bytes
// it gives and the damage it records.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "filters/ExtendedChain.h"
#include "support/FilterFixtures.h"

namespace lumerra::test {

struct TChainResult {
    std::string Bytes;
    std::vector<TFilterDiagnostic> Damage;
};

inline std::span<const uint8_t> Span(const std::string& Data) {
    return {reinterpret_cast<const uint8_t*>(Data.data()), Data.size()};
}

inline TChainResult DecodeChain(const std::string& Data, const std::vector<TFilterStep>& Steps,
                                int32_t Cap = MaxStreamOutput) {
    TMemoryStream out;
    TChainResult result;
    result.Damage = ApplyExtendedFilters(Span(Data), Steps, out, Cap);
    result.Bytes = Contents(out);
    return result;
}

inline TFilterStep Step(std::string Name, TDecodeParams Params = {}) { return {std::move(Name), std::move(Params)}; }

inline TFilterStep Predicted(std::string Name, const TPredictorParams& Predictor) {
    return {std::move(Name), {.Predictor = Predictor}};
}

// One filter's damage, as a test names it.
inline TFilterDiagnostic Damaged(TMessageCode Code, int32_t Filter, std::string Name, int64_t Offset) {
    return {Code, Filter, std::move(Name), Offset};
}

}  // namespace lumerra::test

namespace lumerra {
inline std::ostream& operator<<(std::ostream& Out, const TFilterDiagnostic& D) {
    return Out << CodeName(D.Code) << " filter " << D.Filter << " " << D.Name << " @" << D.Offset;
}
}  // namespace lumerra
