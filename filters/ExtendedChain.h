// The filter chain of extended reading: any number of filters over the six
// standard decoders (the two text decoders, Flate, LZW, RunLength and the
// Identity crypt filter), each with its decode parameters. Each filter is a
// stage that pulls from the one before through a small buffer, so a stream
// costs a few buffers of fixed size whatever its chain and its length. The
// default reading's chain (FilterChain.h) stays as it is; extended reading
// turns to this one only for the lists that chain does not take.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "common/Stream.h"
#include "filters/FilterStage.h"
#include "filters/Predictor.h"

namespace lumerra {

// The /DecodeParms entries one filter uses; absent ones keep the defaults.
struct TDecodeParams {
    TPredictorParams Predictor{};
    bool EarlyChange = true;  // LZW
    std::string CryptName{};  // /Crypt: the crypt filter's /Name, "" for Identity
};

struct TFilterStep {
    std::string Name;  // with its "/", as in the /Filter list
    TDecodeParams Params;
};

// True when every step can be decoded: a known name, a predictor that can be
// undone, a crypt filter that is Identity. Image filters (DCT, JPX, CCITT
// fax, JBIG2) and anything else are not.
bool ExtendedFiltersDecodable(const std::vector<TFilterStep>& Steps);

// The most bytes one filter before the last gives to the next: a bomb in the
// middle of a chain cannot keep the rest busy past it. What it holds past
// that is not decoded, and told as damage of that filter
// (TMessageCode::FilterOutputCut, at the limit's offset in its output).
inline constexpr int64_t IntermediateLimit = 128 * 1024 * 1024;

// Data decoded through Steps, first entry first, pulled a piece at a time.
// Steps must be decodable. Damage ends the filter that met it: what it gave
// before goes on to the next, and the damage is one record in Diagnostics,
// in the order it was met.
class TFilterPipeline {
public:
    TFilterPipeline(std::span<const uint8_t> Data, const std::vector<TFilterStep>& Steps,
                    int64_t Intermediate = IntermediateLimit);
    ~TFilterPipeline();
    TFilterPipeline(const TFilterPipeline&) = delete;
    TFilterPipeline& operator=(const TFilterPipeline&) = delete;

    // Fills the front of Out; 0 at the end of the data.
    size_t Read(std::span<uint8_t> Out);
    const std::vector<TFilterDiagnostic>& Diagnostics() const { return FDiagnostics; }

private:
    // At the end of the data: each stage whose input the limit cut.
    void TellCuts();

    int64_t FIntermediate;
    std::vector<TFilterDiagnostic> FDiagnostics;
    std::vector<std::unique_ptr<TFilterStage>> FStages;  // each reads the one before
    std::vector<TFilterDiagnostic> FStageNames;          // per stage: its filter and name
    bool FCutsTold = false;
};

// The default cap: all that the output can still hold (see OutputCap).
inline constexpr int32_t MaxStreamOutput = INT32_MAX;

// The most bytes a decoder appends to Output: MaxOutput (none when negative),
// and never so many that Output would pass 2 GiB - 1 bytes from its position.
int32_t OutputCap(TStream& Output, int32_t MaxOutput);

// Decodes Data through Steps and appends the result to Output in pieces of
// at most 64 KiB, at most MaxOutput bytes (see OutputCap): a stream cut at
// the cap is no damage. Returns the damage met; nothing is appended when the
// steps are not decodable. Errors of Output itself propagate.
std::vector<TFilterDiagnostic> ApplyExtendedFilters(std::span<const uint8_t> Data,
                                                    const std::vector<TFilterStep>& Steps, TStream& Output,
                                                    int32_t MaxOutput = MaxStreamOutput);

}  // namespace lumerra
