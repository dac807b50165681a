#include "model/StreamObject.h"

#include <algorithm>

#include "filters/FilterChain.h"
#include "pdf/PDFAnalyst.h"
#include "pdf/StreamDictionary.h"

namespace lumerra {

namespace {

bool HasParameters(const std::vector<TFilterStep>& Steps) {
    return std::any_of(Steps.begin(), Steps.end(),
                       [](const TFilterStep& step) { return step.Params.Predictor.Predictor != 1; });
}

}  // namespace

int32_t DecodeStreamObject(TObjectReader& Reader, int32_t Number, TStringList& Filters, TStream& Output,
                           TStreamDamage* Damage) {
    const int32_t start = Output.Position();
    const TValuePtr stream = Reader.Object(Number);
    if (!stream->Is(TValue::TKind::Stream)) return 0;
    std::vector<TFilterStep> steps = StreamFilterSteps(Reader, stream);
    for (const TFilterStep& step : steps) Filters.push_back(step.Name);

    TPDFAnalyst& analyst = Reader.Analyst();
    TStream& file = Reader.File();
    // Everything the dictionary refers to is read before the data: reading
    // an object moves the file's position.
    const int32_t declared = DeclaredStreamLength(Reader, stream);
    const auto decrypt = analyst.StreamDecryptor(Number, steps);
    file.SetPosition(stream->StreamDataOffset());
    // Data up to the "endstream" that follows when /Length is wrong or missing.
    const int32_t length = CheckedStreamLength(file, declared);
    const int64_t data = file.Position();
    // Predictors and chains the default reading does not decode take the
    // whole chain; the rest is decoded as the default reading decodes it, but bounded by
    // the one tokenizer.
    const bool wholeChain = !FiltersFormChain(Filters) || HasParameters(steps);
    const bool decoded =
        decrypt && !wholeChain
            ? ReadStreamDataDecrypted(file, Output, length, Filters, steps, decrypt, Damage)
            : wholeChain && ReadStreamDataExtended(file, Output, length, steps, MaxStreamOutput, decrypt, Damage);
    if (decoded) return Output.Position() - start;
    file.SetPosition(data);
    ReadStreamDataBounded(file, Output, length, Filters, Damage);
    return Output.Position() - start;
}

}  // namespace lumerra
