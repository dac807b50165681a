// Token readers: ReadToken, SkipWhiteSpace, SkipLine, SkipLiteralString and
// SkipObjectHeader run in an order chosen by the input over the rest of it,
// and ParseBox and StrToIntDef take it as text. Each reader must stay inside
// the stream, move forward, and fail only with EReadError at the end.
#include <cstdint>
#include <string>

#include "common/StrUtils.h"
#include "fuzz/FuzzSupport.h"
#include "pdf/PDFLexer.h"

using namespace lumerra;
using namespace lumerra::fuzz;

namespace {

void CheckToken(const std::string& Token) {
    Require(!Token.empty(), "a token is never empty");
    for (const char c : Token)
        Require(!IsDefaultReadingWhiteSpace(static_cast<uint8_t>(c)), "a token holds no white space");
    if (Token.size() > 1) {
        for (size_t i = 1; i < Token.size(); ++i)
            Require(!IsDefaultReadingDelimiter(static_cast<uint8_t>(Token[i])), "a delimiter ends a token");
        Require(Token[0] == '/' || !IsDefaultReadingDelimiter(static_cast<uint8_t>(Token[0])),
                "only a name starts with a delimiter");
    }
}

// One reader, chosen by Op; returns false when the stream has ended.
bool Step(TStream& S, uint8_t Op) {
    const int32_t before = S.Position();
    std::string token;
    try {
        switch (Op % 5) {
            case 0:
                ReadToken(S, token);
                CheckToken(token);
                Require(S.Position() >= before + static_cast<int32_t>(token.size()), "a token is consumed");
                break;
            case 1:
                SkipWhiteSpace(S);
                break;
            case 2:
                SkipLine(S);
                Require(S.Position() > before, "a line end is consumed");
                break;
            case 3:
                SkipLiteralString(S);
                break;
            case 4:
                SkipObjectHeader(S);
                break;
        }
    } catch (const EReadError&) {
        return false;
    }
    Require(S.Position() >= before && S.Position() <= S.Size(), "readers move forward inside the stream");
    // A reader that did not move has nothing left to do here.
    return S.Position() != before || Op % 5 == 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const std::string text(reinterpret_cast<const char*>(Data), Size);
    TBox box{1, 2, 3, 4};
    ParseBox(text, box);
    StrToIntDef(text, -1);

    // The first byte picks the readers, two bits each, cycling; every
    // eighth step skips an object header.
    const uint8_t script = TakeByte(Data, Size);
    auto stream = MemoryOf(Data, Size);
    for (size_t i = 0;; ++i) {
        const auto op = i % 8 == 7 ? uint8_t{4} : static_cast<uint8_t>((script >> (2 * (i % 4))) & 3);
        if (!Step(*stream, op)) break;
        if (i > 16 * Size + 64) Violation("the readers made no progress");
    }

    // Plain token loop to the end: every byte is read at most once more.
    stream->SetPosition(0);
    std::string token;
    try {
        for (;;) {
            if (ReadToken(*stream, token) == "(") SkipLiteralString(*stream);
            CheckToken(token);
        }
    } catch (const EReadError&) {
    }
    return 0;
}
