#include "model/StreamObject.h"

#include <algorithm>

#include "filters/FilterChain.h"
#include "pdf/PDFAnalyst.h"
#include "syntax/Tokenizer.h"

namespace lumerra {

namespace {

// More steps than any real chain has are not read.
constexpr size_t MaximumSteps = 64;

int32_t ClampedInteger(const TValue& V, int32_t Default) {
    if (!V.IsNumber()) return Default;
    return static_cast<int32_t>(std::clamp<int64_t>(V.AsInteger(), INT32_MIN, INT32_MAX));
}

TDecodeParams ReadDecodeParams(TObjectReader& Reader, const TValuePtr& Dict) {
    TDecodeParams params;
    if (!Dict->IsDictionary()) return params;
    TPredictorParams& predictor = params.Predictor;
    predictor.Predictor = ClampedInteger(*Reader.Get(Dict, "Predictor"), predictor.Predictor);
    predictor.Colors = ClampedInteger(*Reader.Get(Dict, "Colors"), predictor.Colors);
    predictor.BitsPerComponent = ClampedInteger(*Reader.Get(Dict, "BitsPerComponent"), predictor.BitsPerComponent);
    predictor.Columns = ClampedInteger(*Reader.Get(Dict, "Columns"), predictor.Columns);
    params.EarlyChange = ClampedInteger(*Reader.Get(Dict, "EarlyChange"), 1) != 0;
    if (const TValuePtr name = Reader.Get(Dict, "Name"); name->Is(TValue::TKind::Name))
        params.CryptName = NormalName(name->Text());
    return params;
}

bool HasParameters(const std::vector<TFilterStep>& Steps) {
    return std::any_of(Steps.begin(), Steps.end(),
                       [](const TFilterStep& step) { return step.Params.Predictor.Predictor != 1; });
}

}  // namespace

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

int32_t DecodeStreamObject(TObjectReader& Reader, int32_t Number, TStringList& Filters, TStream& Output,
                           TStreamDamage* Damage) {
    const int32_t start = Output.Position();
    const TValuePtr stream = Reader.Object(Number);
    if (!stream->Is(TValue::TKind::Stream)) return 0;
    std::vector<TFilterStep> steps = StreamFilterSteps(Reader, stream);
    for (const TFilterStep& step : steps) Filters.push_back(step.Name);

    TPDFAnalyst& analyst = Reader.Analyst();
    TStream& file = *analyst.Stream();
    const TValuePtr declared = Reader.Get(stream, "Length");
    file.SetPosition(static_cast<int32_t>(stream->StreamDataOffset()));
    // Data up to the "endstream" that follows when /Length is wrong or missing.
    const int32_t length = CheckedStreamLength(file, declared->IsNumber() ? ClampedInteger(*declared, -1) : -1);
    const int32_t data = file.Position();
    // Predictors and chains the default reading does not decode take the
    // whole chain; the rest is decoded as the default reading decodes it.
    const bool wholeChain = !FiltersFormChain(Filters) || HasParameters(steps);
    const auto decrypt = analyst.StreamDecryptor(Number, steps);
    const bool decoded =
        decrypt && !wholeChain
            ? ReadStreamDataDecrypted(file, Output, length, Filters, steps, decrypt, Damage)
            : wholeChain && ReadStreamDataExtended(file, Output, length, steps, MaxStreamOutput, decrypt, Damage);
    if (decoded) return Output.Position() - start;
    file.SetPosition(data);
    ReadStreamData(file, Output, length, Filters, Damage);
    return Output.Position() - start;
}

}  // namespace lumerra
