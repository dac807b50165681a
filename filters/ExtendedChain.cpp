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

// Raised by TCappedMemory when a write would pass the cap.
struct TCapReached {};

// Flate has no cap of its own: its output goes through this one, which keeps
// what fits and ends the inflating.
class TCappedMemory final : public TStream {
public:
    TCappedMemory(TMemoryStream& Target, int32_t Cap) : FTarget(Target), FCap(Cap) {}
    int32_t Read(void*, int32_t) override { return 0; }
    int32_t Write(const void* buffer, int32_t count) override {
        const int32_t room = FCap - FTarget.Size();
        if (count > room) {
            FTarget.WriteBuffer(buffer, std::max(room, 0));
            throw TCapReached{};
        }
        FTarget.WriteBuffer(buffer, count);
        return count;
    }
    int32_t Seek(int32_t offset, TSeekOrigin origin) override { return FTarget.Seek(offset, origin); }

private:
    TMemoryStream& FTarget;
    int32_t FCap;
};

bool Decodable(const TFilterStep& Step) {
    const std::string& name = Step.Name;
    if (name == CryptName) return Step.Params.CryptName.empty() || Step.Params.CryptName == "/Identity";
    if (name == FlateDecodeName || name == LZWDecodeName)
        return Step.Params.Predictor.Predictor == 1 || PredictorIsDecodable(Step.Params.Predictor);
    return name == ASCIIHexDecodeName || name == ASCII85DecodeName || name == RunLengthDecodeName;
}

// One step from In to Out (which starts empty), at most Cap bytes.
void DecodeStep(TMemoryStream& In, const TFilterStep& Step, TMemoryStream& Out, int32_t Cap) {
    const uint8_t* data = In.Memory();
    const int32_t size = In.Size();
    const std::string& name = Step.Name;
    const TPredictorParams& predictor = Step.Params.Predictor;
    const bool predicted = (name == FlateDecodeName || name == LZWDecodeName) && predictor.Predictor != 1;
    TMemoryStream unpredicted;
    TMemoryStream& first = predicted ? unpredicted : Out;
    if (name == CryptName) {
        first.WriteBuffer(data, std::min(size, Cap));
    } else if (name == ASCIIHexDecodeName) {
        DecodeASCIIHexToMemory(data, size, first);
    } else if (name == ASCII85DecodeName) {
        DecodeASCII85ToMemory(data, size, first);
    } else if (name == RunLengthDecodeName) {
        DecodeRunLength(data, size, first, Cap);
    } else if (name == LZWDecodeName) {
        DecodeLZW(data, size, first, Step.Params.EarlyChange, Cap);
    } else {
        TMemoryStream source;
        source.WriteBuffer(data, size);
        source.SetPosition(0);
        TCappedMemory capped(first, Cap);
        try {
            DecodeFlate(source, capped);
        } catch (const TCapReached&) {
        } catch (const std::bad_alloc&) {
            throw;
        } catch (const Exception&) {
            // Damaged data: what was inflated before the damage goes on.
        }
    }
    if (first.Size() > Cap) first.SetSize(Cap);
    if (predicted) DecodePredictor(unpredicted.Memory(), unpredicted.Size(), predictor, Out, Cap);
}

}  // namespace

bool ExtendedFiltersDecodable(const std::vector<TFilterStep>& Steps) {
    return std::all_of(Steps.begin(), Steps.end(), Decodable);
}

bool ApplyExtendedFilters(TMemoryStream& Data, const std::vector<TFilterStep>& Steps, TStream& Output,
                          int32_t MaxOutput) {
    if (!ExtendedFiltersDecodable(Steps)) return false;
    const int32_t cap = OutputCap(Output, MaxOutput);
    // Two buffers take turns as the input and the output of the steps.
    std::array<TMemoryStream, 2> buffers;
    TMemoryStream* in = &Data;
    for (size_t i = 0; i < Steps.size(); ++i) {
        TMemoryStream& out = buffers[i % 2];
        out.Clear();
        DecodeStep(*in, Steps[i], out, cap);
        in = &out;
    }
    Output.WriteBuffer(in->Memory(), std::min(in->Size(), cap));
    return true;
}

}  // namespace lumerra
