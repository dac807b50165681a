// The filter chain of extended reading: any number of filters over the six
// standard decoders (the two text decoders, Flate, LZW, RunLength and the
// Identity crypt filter), each with its decode parameters. The default
// mode's chain (FilterChain.h) stays as it is; extended reading turns to this
// one only for the lists that chain does not take.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/Stream.h"
#include "filters/DecodeOutput.h"
#include "filters/Predictor.h"

namespace lumerra {

// The /DecodeParms entries one filter uses; absent ones keep the defaults.
struct TDecodeParams {
    TPredictorParams Predictor;
    bool EarlyChange = true;  // LZW
    std::string CryptName;    // /Crypt: the crypt filter's /Name, "" for Identity
};

struct TFilterStep {
    std::string Name;  // with its "/", as in the /Filter list
    TDecodeParams Params;
};

// True when every step can be decoded: a known name, a predictor that can be
// undone, a crypt filter that is Identity. Image filters (DCT, JPX, CCITT
// fax, JBIG2) and anything else are not.
bool ExtendedFiltersDecodable(const std::vector<TFilterStep>& Steps);

// Decodes Data through Steps, first entry first, and appends the result to
// Output, at most MaxOutput bytes. Returns false, appending nothing, when
// the steps are not decodable. Damaged data ends its step early: what was
// decoded before the damage goes on to the next step, and Damaged (when
// given) receives what the first damage was ("" when there was none).
bool ApplyExtendedFilters(TMemoryStream& Data, const std::vector<TFilterStep>& Steps, TStream& Output,
                          int32_t MaxOutput = MaxStreamOutput, TMessage* Damaged = nullptr);

}  // namespace lumerra
