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

}  // namespace

int32_t TStreamDecoder::Decode(int32_t N, TStringList& F, TStream& D, TStreamDamage* Damage) {
    if (Damage != nullptr) *Damage = {};
    const int32_t start = D.Position();
    // A reference to an object the file does not hold is a null stream.
    if (!FAnalyst.HasObject(N)) return 0;
    TStream& S = *FAnalyst.Stream();
    TPositionKeeper keeper(S);
    if (FObjects != nullptr) return DecodeStreamObject(*FObjects, N, F, D, Damage);
    TObjectScanner scan = TObjectScanner::OpenObject(FAnalyst, N, StreamObjectScan);
    int32_t length = 0;
    scan.Run([&](const TToken& token) {
        if (token.Is("/Length")) {
            length = FAnalyst.ReadIntegerValue(S);
        } else if (token.Is("/Filter")) {
            FAnalyst.ReadNameList(S, F);
        } else if (token.Is("stream")) {
            ReadStreamData(S, D, length, F, Damage);
            // Data that an unknown filter left undecoded is passed over by its
            // length instead of being read as tokens, where a stray "(" would
            // run the scan to the end of the file.
            if (!FiltersSupported(F)) SkipData(S, length);
        } else {
            return TScanAction::Default;
        }
        return TScanAction::Handled;
    });
    return D.Position() - start;
}

TDetachedStreamDecoder::TDetachedStreamDecoder(const TPDFAnalyst& Analyst)
    : FReader(ReaderOf(Analyst)), FObjects(FReader->ObjectModel()), FDecoder(*FReader, FObjects.get()) {}

}  // namespace lumerra
