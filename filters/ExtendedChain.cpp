#include "filters/ExtendedChain.h"

#include <algorithm>

#include "filters/FilterChain.h"
#include "filters/FlateStage.h"
#include "filters/Lzw.h"
#include "filters/RunLength.h"
#include "filters/TextStages.h"

namespace lumerra {

namespace {

constexpr std::string_view LZWDecodeName = "/LZWDecode";
constexpr std::string_view RunLengthDecodeName = "/RunLengthDecode";
constexpr std::string_view CryptName = "/Crypt";

// The Identity crypt filter: the bytes as they come.
class TCopyStage final : public TFilterStage {
public:
    using TFilterStage::TFilterStage;
    size_t Read(std::span<uint8_t> Out) override {
        size_t done = 0;
        while (done < Out.size()) {
            const std::span<const uint8_t> at = Input().Peek();
            if (at.empty()) break;
            const size_t n = std::min(at.size(), Out.size() - done);
            std::copy_n(at.data(), n, Out.data() + done);
            Input().Consume(n);
            done += n;
        }
        return done;
    }
};

using TMakeStage = std::unique_ptr<TFilterStage> (*)(TStageInput Input, const TDecodeParams& Params);

struct TStageKind {
    std::string_view Name;
    bool TakesPredictor;
    TMakeStage Make;
};

template <class TStage>
std::unique_ptr<TFilterStage> Make(TStageInput Input, const TDecodeParams&) {
    return std::make_unique<TStage>(std::move(Input));
}

const TStageKind Kinds[] = {
    {ASCIIHexDecodeName, false, Make<TAsciiHexStage>},
    {ASCII85DecodeName, false, Make<TAscii85Stage>},
    {FlateDecodeName, true, Make<TFlateStage>},
    {LZWDecodeName, true,
     [](TStageInput Input, const TDecodeParams& Params) -> std::unique_ptr<TFilterStage> {
         return std::make_unique<TLzwStage>(std::move(Input), Params.EarlyChange);
     }},
    {RunLengthDecodeName, false, Make<TRunLengthStage>},
    {CryptName, false, Make<TCopyStage>},
};

const TStageKind* KindOf(const TFilterStep& Step) {
    const auto it = std::find_if(std::begin(Kinds), std::end(Kinds),
                                 [&Step](const TStageKind& Kind) { return Kind.Name == Step.Name; });
    return it == std::end(Kinds) ? nullptr : &*it;
}

bool Decodable(const TFilterStep& Step) {
    const TStageKind* kind = KindOf(Step);
    if (kind == nullptr) return false;
    if (Step.Name == CryptName) return Step.Params.CryptName.empty() || Step.Params.CryptName == "/Identity";
    return !kind->TakesPredictor || PredictorIsDecodable(Step.Params.Predictor);
}

}  // namespace

bool ExtendedFiltersDecodable(const std::vector<TFilterStep>& Steps) {
    return std::all_of(Steps.begin(), Steps.end(), Decodable);
}

TFilterPipeline::TFilterPipeline(std::span<const uint8_t> Data, const std::vector<TFilterStep>& Steps,
                                 int64_t Intermediate)
    : FIntermediate(Intermediate) {
    const auto add = [this, Data](const TFilterStep& Step, int32_t Filter, auto MakeStage) {
        TStageInput input = FStages.empty() ? TStageInput(Data) : TStageInput(*FStages.back(), FIntermediate);
        FStages.push_back(MakeStage(std::move(input)));
        FStages.back()->ReportTo(FDiagnostics, Filter, Step.Name);
        FStageNames.push_back({TMessageCode::FilterOutputCut, Filter, Step.Name, FIntermediate});
    };
    for (size_t i = 0; i < Steps.size(); ++i) {
        const TFilterStep& step = Steps[i];
        const TStageKind* kind = KindOf(step);
        if (kind == nullptr) continue;
        const auto filter = static_cast<int32_t>(i);
        add(step, filter, [&](TStageInput Input) { return kind->Make(std::move(Input), step.Params); });
        if (kind->TakesPredictor && step.Params.Predictor.Predictor != 1)
            add(step, filter, [&](TStageInput Input) -> std::unique_ptr<TFilterStage> {
                return std::make_unique<TPredictorStage>(std::move(Input), step.Params.Predictor);
            });
    }
    if (FStages.empty()) add(TFilterStep{}, 0, [](TStageInput Input) { return Make<TCopyStage>(std::move(Input), {}); });
}

TFilterPipeline::~TFilterPipeline() = default;

size_t TFilterPipeline::Read(std::span<uint8_t> Out) {
    const size_t n = FStages.back()->Read(Out);
    if (n == 0 && !Out.empty()) TellCuts();
    return n;
}

void TFilterPipeline::TellCuts() {
    if (FCutsTold) return;
    FCutsTold = true;
    // Data cut is damage of the stage that gave too much.
    for (size_t i = 1; i < FStages.size(); ++i)
        if (FStages[i]->InputCut()) FDiagnostics.push_back(FStageNames[i - 1]);
}

int32_t OutputCap(TStream& Output, int32_t MaxOutput) {
    return static_cast<int32_t>(std::clamp<int64_t>(MaxOutput, 0, std::max<int64_t>(INT32_MAX - Output.Position(), 0)));
}

std::vector<TFilterDiagnostic> ApplyExtendedFilters(std::span<const uint8_t> Data,
                                                    const std::vector<TFilterStep>& Steps, TStream& Output,
                                                    int32_t MaxOutput) {
    if (!ExtendedFiltersDecodable(Steps)) return {};
    constexpr size_t PieceSize = 64 * 1024;
    int64_t room = OutputCap(Output, MaxOutput);
    TFilterPipeline pipeline(Data, Steps);
    const auto piece = std::make_unique_for_overwrite<uint8_t[]>(PieceSize);
    while (room > 0) {
        const size_t n = pipeline.Read({piece.get(), static_cast<size_t>(std::min<int64_t>(room, PieceSize))});
        if (n == 0) break;
        Output.WriteBuffer(piece.get(), static_cast<int32_t>(n));
        room -= static_cast<int64_t>(n);
    }
    return pipeline.Diagnostics();
}

}  // namespace lumerra
