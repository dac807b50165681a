#include "pdf/StreamDictionary.h"

#include <algorithm>

#include "syntax/Tokenizer.h"

namespace lumerra {

namespace {

// More steps than any real chain has are not read.
constexpr size_t MaximumSteps = 64;

TDecodeParams ReadDecodeParams(TObjectReader& Reader, const TValuePtr& Dict) {
    TDecodeParams params;
    if (!Dict->IsDictionary()) return params;
    TPredictorParams& predictor = params.Predictor;
    predictor.Predictor = IntegerOr(*Reader.Get(Dict, "Predictor"), predictor.Predictor);
    predictor.Colors = IntegerOr(*Reader.Get(Dict, "Colors"), predictor.Colors);
    predictor.BitsPerComponent = IntegerOr(*Reader.Get(Dict, "BitsPerComponent"), predictor.BitsPerComponent);
    predictor.Columns = IntegerOr(*Reader.Get(Dict, "Columns"), predictor.Columns);
    params.EarlyChange = IntegerOr(*Reader.Get(Dict, "EarlyChange"), 1) != 0;
    if (const TValuePtr name = Reader.Get(Dict, "Name"); name->Is(TValue::TKind::Name))
        params.CryptName = NormalName(name->Text());
    return params;
}

}  // namespace

int32_t IntegerOr(const TValue& Value, int32_t Default) {
    if (!Value.Is(TValue::TKind::Integer)) return Default;
    return static_cast<int32_t>(std::clamp<int64_t>(Value.AsInteger(), INT32_MIN, INT32_MAX));
}

int32_t DeclaredStreamLength(TObjectReader& Reader, const TValuePtr& Stream) {
    return IntegerOr(*Reader.Get(Stream, "Length"), -1);
}

std::vector<TFilterStep> StreamFilterSteps(TObjectReader& Reader, const TValuePtr& Stream) {
    std::vector<TFilterStep> steps;
    const TValuePtr filter = Reader.Get(Stream, "Filter");
    const TValuePtr parms = Reader.Get(Stream, "DecodeParms");
    const bool arrays = filter->Is(TValue::TKind::Array);
    const size_t count = arrays ? std::min(filter->Items().size(), MaximumSteps) : (filter->IsNull() ? 0 : 1);
    for (size_t i = 0; i < count; ++i) {
        const TValuePtr name = arrays ? Reader.Item(filter, i) : filter;
        if (!name->Is(TValue::TKind::Name)) continue;
        const TValuePtr dict = arrays ? Reader.Item(parms, i) : parms;
        steps.push_back({NormalName(name->Text()), ReadDecodeParams(Reader, dict)});
    }
    return steps;
}

}  // namespace lumerra
