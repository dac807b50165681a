#include "pdf/DecodeParms.h"

#include "pdf/ObjectScanner.h"
#include "pdf/PDFAnalyst.h"

namespace lumerra {

namespace {

// More parameter entries than any chain has filters are passed over.
constexpr size_t MaximumEntries = 64;
// A parameter dictionary's nesting deeper than this is not followed.
constexpr int MaximumDepth = 8;

// Reads one token; false at the end of the data.
bool Take(TStream& S, TToken& Token) { return NextToken(S, Token) != TTokenKind::EndOfData; }

bool TakeSecondBracket(TStream& S, char Bracket) {
    uint8_t c;
    if (!S.ReadByte(c)) return false;
    if (c == static_cast<uint8_t>(Bracket)) return true;
    S.Seek(-1, TSeekOrigin::soCurrent);
    return false;
}

// The inside of a dictionary, just after its "<<", up to its ">>".
TDecodeParams ReadDictionary(TStream& S) {
    TDecodeParams params;
    TToken token;
    int depth = 1;
    std::string key;
    while (depth > 0 && Take(S, token)) {
        if (token.Is("<") && TakeSecondBracket(S, '<')) {
            ++depth;
        } else if (token.Is(">") && TakeSecondBracket(S, '>')) {
            --depth;
        } else if (depth == 1 && token.Kind == TTokenKind::Name && key.empty()) {
            key = token.Text;
            continue;
        } else if (depth == 1 && !key.empty()) {
            const int32_t value = StrToIntDef(token.Text, 0);
            if (key == "/Predictor") params.Predictor.Predictor = value;
            if (key == "/Colors") params.Predictor.Colors = value;
            if (key == "/BitsPerComponent") params.Predictor.BitsPerComponent = value;
            if (key == "/Columns") params.Predictor.Columns = value;
            if (key == "/EarlyChange") params.EarlyChange = value != 0;
            if (key == "/Name") params.CryptName = token.Text;
        }
        if (depth > MaximumDepth) break;
        key.clear();
    }
    return params;
}

// One entry: a dictionary, null, or (when Follow) a reference to one.
bool ReadEntry(TPDFAnalyst& Analyst, TStream& S, const TToken& First, std::vector<TDecodeParams>& Params,
               bool Follow);

// A value where S stands: an array of entries, or one entry.
void ReadValue(TPDFAnalyst& Analyst, TStream& S, std::vector<TDecodeParams>& Params, bool Follow) {
    TToken first;
    if (!Take(S, first)) return;
    if (first.Is("[")) {
        TToken item;
        while (Params.size() < MaximumEntries && Take(S, item) && !item.Is("]"))
            if (!ReadEntry(Analyst, S, item, Params, false)) break;
        return;
    }
    ReadEntry(Analyst, S, first, Params, Follow);
}

// The value held by object ID; references inside it are not followed.
void ReadReferenced(TPDFAnalyst& Analyst, int32_t ID, std::vector<TDecodeParams>& Params) {
    if (!Analyst.HasObject(ID)) return;
    TPositionKeeper keeper(*Analyst.Stream());
    TObjectScanner scan = TObjectScanner::OpenObject(Analyst, ID, IntegerScan);
    ReadValue(Analyst, scan.Stream(), Params, false);
}

bool ReadEntry(TPDFAnalyst& Analyst, TStream& S, const TToken& First, std::vector<TDecodeParams>& Params,
               bool Follow) {
    if (First.Is("<") && TakeSecondBracket(S, '<')) {
        Params.push_back(ReadDictionary(S));
        return true;
    }
    if (First.Is("null")) {
        Params.emplace_back();
        return true;
    }
    const int32_t ID = StrToIntDef(First.Text, -1);
    if (ID < 0) return false;
    TToken generation, r;
    if (!Take(S, generation) || !Take(S, r) || !r.Is("R")) return false;
    if (Follow)
        ReadReferenced(Analyst, ID, Params);
    else
        Params.emplace_back();  // a reference inside an array: not followed
    return true;
}

}  // namespace

void ReadDecodeParms(TPDFAnalyst& Analyst, TStream& S, std::vector<TDecodeParams>& Params) {
    TPositionKeeper keeper(S);
    ReadValue(Analyst, S, Params, true);
}

std::vector<TFilterStep> FilterSteps(const TStringList& Filters, const std::vector<TDecodeParams>& Params) {
    std::vector<TFilterStep> steps;
    for (size_t i = 0; i < Filters.size(); ++i) steps.push_back({Filters[i], i < Params.size() ? Params[i] : TDecodeParams{}});
    return steps;
}

}  // namespace lumerra
