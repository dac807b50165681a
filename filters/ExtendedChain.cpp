#include "filters/ExtendedChain.h"

#include <algorithm>
#include <array>
#include <new>

#include "filters/AsciiDecode.h"
#include "filters/FilterChain.h"
#include "filters/Flate.h"
#include "filters/Lzw.h"
#include "filters/RunLength.h"

namespace lumerra {

namespace {

constexpr std::string_view LZWDecodeName = "/LZWDecode";
constexpr std::string_view RunLengthDecodeName = "/RunLengthDecode";
constexpr std::string_view CryptName = "/Crypt";

// Steps before the last hold their output in memory: this much at most, so
// that a bomb in the middle of a chain cannot fill it.
constexpr int32_t IntermediateLimit = 128 * 1024 * 1024;

// Raised by TCappedStream when a write would pass the cap.
struct TCapReached {};

// Flate has no cap of its own: its output goes through this one, which keeps
// what fits and ends the inflating.
class TCappedStream final : public TStream {
public:
    TCappedStream(TStream& Target, int32_t Cap) : FTarget(Target), FRoom(Cap) {}
    int32_t Read(void*, int32_t) override { return 0; }
    int32_t Write(const void* buffer, int32_t count) override {
        if (count > FRoom) {
            FTarget.WriteBuffer(buffer, std::max(FRoom, 0));
            FRoom = 0;
            throw TCapReached{};
        }
        FTarget.WriteBuffer(buffer, count);
        FRoom -= count;
        return count;
    }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override { return FTarget.Seek(offset, origin); }

private:
    TStream& FTarget;
    int32_t FRoom;
};

bool Decodable(const TFilterStep& Step) {
    const std::string& name = Step.Name;
    if (name == CryptName) return Step.Params.CryptName.empty() || Step.Params.CryptName == "/Identity";
    if (name == FlateDecodeName || name == LZWDecodeName)
        return Step.Params.Predictor.Predictor == 1 || PredictorIsDecodable(Step.Params.Predictor);
    return name == ASCIIHexDecodeName || name == ASCII85DecodeName || name == RunLengthDecodeName;
}

// What a decoder whose data ended early says: told beside the report, as
// Flate's damage is.
TMessage Damage(TDecodeEnd End, TMessageCode What) {
    return {End == TDecodeEnd::Truncated || End == TDecodeEnd::Invalid ? What : TMessageCode::Uncoded, {}};
}

// One step from In, appending at most Cap bytes to Out. Returns what damaged
// the data (uncoded when nothing did); what was decoded before the
// damage stays.
TMessage DecodeStep(TMemoryStream& In, const TFilterStep& Step, TStream& Out, int32_t Cap) {
    const uint8_t* data = In.Memory();
    const int32_t size = In.Size();
    const std::string& name = Step.Name;
    const TPredictorParams& predictor = Step.Params.Predictor;
    if ((name == FlateDecodeName || name == LZWDecodeName) && predictor.Predictor != 1) {
        TFilterStep plain = Step;
        plain.Params.Predictor = TPredictorParams{};
        TMemoryStream unpredicted;
        const TMessage damage = DecodeStep(In, plain, unpredicted, std::min(Cap, IntermediateLimit));
        const TMessage rows = Damage(DecodePredictor(unpredicted.Memory(), unpredicted.Size(), predictor, Out, Cap),
                                     TMessageCode::PredictorFailed);
        return damage.Code == TMessageCode::Uncoded ? rows : damage;
    }
    TCappedStream capped(Out, Cap);
    try {
        if (name == CryptName) {
            capped.WriteBuffer(data, size);
        } else if (name == ASCIIHexDecodeName) {
            const std::string text = DecodeASCIIHex(data, size);
            capped.WriteBuffer(text.data(), static_cast<int32_t>(text.size()));
        } else if (name == ASCII85DecodeName) {
            DecodeASCII85(data, size, capped);
        } else if (name == RunLengthDecodeName) {
            return Damage(DecodeRunLength(data, size, Out, Cap), TMessageCode::RunLengthFailed);
        } else if (name == LZWDecodeName) {
            return Damage(DecodeLZW(data, size, Out, Step.Params.EarlyChange, Cap), TMessageCode::LzwFailed);
        } else {
            In.SetPosition(0);
            DecodeFlate(In, capped);
        }
    } catch (const TCapReached&) {
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const Exception& e) {
        return e.Text();
    }
    return {};
}

}  // namespace

bool ExtendedFiltersDecodable(const std::vector<TFilterStep>& Steps) {
    return std::all_of(Steps.begin(), Steps.end(), Decodable);
}

bool ApplyExtendedFilters(TMemoryStream& Data, const std::vector<TFilterStep>& Steps, TStream& Output,
                          int32_t MaxOutput, TMessage* Damaged) {
    if (!ExtendedFiltersDecodable(Steps)) return false;
    const int32_t cap = OutputCap(Output, MaxOutput);
    if (Steps.empty()) {
        Output.WriteBuffer(Data.Memory(), static_cast<int32_t>(std::min<int64_t>(Data.Size(), cap)));
        return true;
    }
    // Two buffers take turns as the input and the output of the steps before
    // the last; the last writes to Output itself.
    std::array<TMemoryStream, 2> buffers;
    TMemoryStream* in = &Data;
    TMessage damage;
    const auto note = [&damage](TMessage Step) {
        if (damage.Code == TMessageCode::Uncoded) damage = std::move(Step);
    };
    for (size_t i = 0; i + 1 < Steps.size(); ++i) {
        TMemoryStream& out = buffers[i % 2];
        out.Clear();
        note(DecodeStep(*in, Steps[i], out, std::min(cap, IntermediateLimit)));
        in = &out;
    }
    note(DecodeStep(*in, Steps.back(), Output, cap));
    if (Damaged != nullptr) *Damaged = std::move(damage);
    return true;
}

}  // namespace lumerra
