#include "decoder/StreamDecoder.h"

#include "filters/FilterChain.h"
#include "model/StreamObject.h"
#include "pdf/ObjectScanner.h"

namespace lumerra {

namespace {

std::unique_ptr<TPDFAnalyst> ReaderOf(const TPDFAnalyst& Analyst) {
    auto reader = Analyst.Reader();
    if (!reader) throw Exception("no second reader of the document");
    return reader;
}

// The default reading: /Length and /Filter met among the object's tokens,
// the data read at "stream".
class TScannedStreamDecoder final : public TStreamDecoder {
public:
    explicit TScannedStreamDecoder(TPDFAnalyst& Analyst) : TStreamDecoder(Analyst) {}

private:
    void DecodeObject(int32_t N, TStringList& F, TStream& D, TStreamDamage* Damage) override {
        TStream& S = *FAnalyst.Stream();
        TObjectScanner scan = TObjectScanner::OpenObject(FAnalyst, N, StreamObjectScan);
        int32_t length = 0;
        scan.Run([&](const TToken& token) {
            if (token.Is("/Length")) {
                length = FAnalyst.ReadIntegerValue(S);
            } else if (token.Is("/Filter")) {
                FAnalyst.ReadNameList(S, F);
            } else if (token.Is("stream")) {
                ReadStreamData(S, D, length, F, Damage, &FInflater);
                // Data that an unknown filter left undecoded is passed over by
                // its length instead of being read as tokens, where a stray "("
                // would run the scan to the end of the file.
                if (!FiltersSupported(F)) SkipData(S, length);
            } else {
                return TScanAction::Default;
            }
            return TScanAction::Handled;
        });
    }
};

// Extended reading: the stream's dictionary parsed and read by key.
class TModelStreamDecoder final : public TStreamDecoder {
public:
    TModelStreamDecoder(TPDFAnalyst& Analyst, TObjectReader& Objects) : TStreamDecoder(Analyst), FObjects(Objects) {}

private:
    void DecodeObject(int32_t N, TStringList& F, TStream& D, TStreamDamage* Damage) override {
        DecodeStreamObject(FObjects, N, F, D, Damage);
    }

    TObjectReader& FObjects;
};

}  // namespace

int32_t TStreamDecoder::Decode(int32_t N, TStringList& F, TStream& D, TStreamDamage* Damage) {
    if (Damage != nullptr) *Damage = {};
    const int32_t start = D.Position();
    // A reference to an object the file does not hold is a null stream.
    if (!FAnalyst.HasObject(N)) return 0;
    TPositionKeeper keeper(*FAnalyst.Stream());
    DecodeObject(N, F, D, Damage);
    return D.Position() - start;
}

std::unique_ptr<TStreamDecoder> NewStreamDecoder(TPDFAnalyst& Analyst, TObjectReader* Objects) {
    if (Objects != nullptr) return std::make_unique<TModelStreamDecoder>(Analyst, *Objects);
    return std::make_unique<TScannedStreamDecoder>(Analyst);
}

TDetachedStreamDecoder::TDetachedStreamDecoder(const TPDFAnalyst& Analyst)
    : FReader(ReaderOf(Analyst)), FObjects(FReader->ObjectModel()), FDecoder(NewStreamDecoder(*FReader, FObjects.get())) {}

}  // namespace lumerra
