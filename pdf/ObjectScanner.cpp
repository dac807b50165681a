#include "pdf/ObjectScanner.h"

#include "pdf/PDFAnalyst.h"

namespace lumerra {

TObjectScanner TObjectScanner::OpenObject(TPDFAnalyst& Analyst, int32_t ID, const TScanOptions& Options) {
    const TObjectLocation location = Analyst.Locate(ID);
    switch (location.Kind()) {
        // The default reading keeps no object streams; extended reading
        // reads their objects by key (ObjectReader.h), never by tokens.
        case TObjectLocation::TKind::None:
        case TObjectLocation::TKind::InObjectStream: throw EDamagedInput(TMessageCode::ObjectIdInvalid, -1, ID);
        case TObjectLocation::TKind::InFile: break;
    }
    TStream& S = *Analyst.Stream();
    S.SetPosition(location.Offset());
    TObjectScanner scanner(Analyst, S, Options, ID, location.Offset());
    scanner.EnterBody();
    return scanner;
}

TObjectScanner::TObjectScanner(TPDFAnalyst& Analyst, TStream& S, const TScanOptions& Options, int32_t Object)
    : TObjectScanner(Analyst, S, Options, Object, S.Position()) {}

TObjectScanner::TObjectScanner(TPDFAnalyst& Analyst, TStream& S, const TScanOptions& Options, int32_t Object,
                               int32_t Offset)
    : FAnalyst(Analyst), FStream(S), FOptions(Options), FObject(Object), FOffset(Offset) {}

void TObjectScanner::EnterBody() {
    try {
        switch (FOptions.Header) {
            case THeaderRule::Keep: break;
            case THeaderRule::Skip: SkipObjectHeader(FStream); break;
            case THeaderRule::Check:
                if (Next().Text != std::to_string(FObject)) throw EDamagedInput(TMessageCode::ObjectIdInvalid, FOffset, FObject);
                break;
        }
    } catch (const EReadError&) {
        RaiseFileEnds();
    }
}

const TToken& TObjectScanner::Next() {
    Read(FValue);
    return FValue;
}

bool TObjectScanner::TakeSecond(char Bracket) {
    uint8_t c;
    if (!FStream.ReadByte(c)) RaiseFileEnds();
    if (c == static_cast<uint8_t>(Bracket)) return true;
    FStream.Seek(-1, TSeekOrigin::soCurrent);
    return false;
}

void TObjectScanner::ApplyStreamRule(const TToken& Token) {
    if (Token.Is("/Length"))
        FLength = FAnalyst.ReadIntegerValue(FStream);
    else if (Token.Is("stream"))
        FAnalyst.SkipStreamData(FStream, FLength);
}

void TObjectScanner::RaiseFileEnds() const { throw EDamagedInput::FileEnds(FOffset, FObject); }

}  // namespace lumerra
