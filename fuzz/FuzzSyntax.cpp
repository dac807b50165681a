// Extended reading's lexer, tokenizer and parser over any bytes: the
// tokenizer moves forward on every token and stays inside the data, offsets are
// ordered, strings passed over end where they end when read, and the
// parser ends every value or indirect object with a result or a fault
// inside the data, for windows cut anywhere.
#include <cstdint>

#include "fuzz/FuzzSupport.h"
#include "syntax/Parser.h"
#include "syntax/Scanner.h"

using namespace lumerra;
using namespace lumerra::fuzz;

namespace {

void CheckTokens(std::span<const uint8_t> Data) {
    TTokenizer tokens(Data, 7);
    int64_t last = -1;
    for (TSyntaxToken t = tokens.Next(); t.Type != TTokenType::End; t = tokens.Next()) {
        Require(t.Offset > last, "tokens move forward");
        Require(t.Offset >= 7 && t.Offset < 7 + static_cast<int64_t>(Data.size()), "a token starts inside the data");
        Require(tokens.Position() <= Data.size(), "the tokenizer stays inside the data");
        if (t.Type == TTokenType::Name)
            for (const char c : NormalName(t.Text).substr(1))
                Require(c > 0x20 && c < 0x7F && !IsIsoDelimiter(static_cast<uint8_t>(c)), "a normal name is plain");
        last = t.Offset;
    }
}

// Strings passed over without their bytes end where they end when read.
void CheckPassedStrings(std::span<const uint8_t> Data) {
    TTokenizer kept(Data), passed(Data);
    passed.SetKeepStringBytes(false);
    for (;;) {
        const TSyntaxToken a = kept.Next(), b = passed.Next();
        Require(a.Type == b.Type && a.Offset == b.Offset && a.Truncated == b.Truncated, "passed strings end alike");
        if (a.Type == TTokenType::End) return;
    }
}

// The pass over a TJ array's body (by blocks, then byte by byte) stops where
// the scanner, token by token, meets its first token that is neither a
// string nor a number; comments, which the pass leaves to the scanner, end
// the comparison.
void CheckPassedItems(std::span<const uint8_t> Data) {
    TScanner pass(Data);
    pass.PassStringsAndNumbers();
    Require(pass.Position() <= Data.size(), "the pass stays inside the data");
    TScanner tokens(Data);
    TScanToken token;
    do tokens.Next(token);
    while (token.Type == TTokenType::String || token.Type == TTokenType::Integer || token.Type == TTokenType::Real);
    for (size_t at = 0; at < pass.Position() || at < token.Offset; ++at)
        if (Data[at] == '%') return;
    Require(token.Offset == pass.Position(), "the pass stops where the first other token starts");
}

void CheckParse(std::span<const uint8_t> Data, bool Final, bool Indirect) {
    TTokenizer tokens(Data);
    TParser parser(tokens, {.Depth = 32, .Items = 100000}, Final);
    for (int i = 0; i < 64 && !tokens.AtEnd(); ++i) {
        const size_t before = tokens.Position();
        TParseFault fault;
        if (Indirect) {
            TIndirectObject object;
            fault = parser.ReadIndirectObject(object);
            if (fault == TParseFault::None && object.Value.Is(TValue::TKind::Stream))
                Require(object.Value.StreamDataOffset() <= static_cast<int64_t>(Data.size()), "stream data inside");
        } else {
            TValue value;
            fault = parser.ReadValue(value);
        }
        if (fault != TParseFault::None) {
            Require(parser.FaultOffset() >= 0 && parser.FaultOffset() <= static_cast<int64_t>(Data.size()),
                    "a fault is inside the data");
            return;
        }
        Require(tokens.Position() > before || tokens.AtEnd(), "a value consumes bytes");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const uint8_t selector = TakeByte(Data, Size);
    const std::span<const uint8_t> bytes(Data, Size);
    CheckTokens(bytes);
    CheckPassedStrings(bytes);
    CheckPassedItems(bytes);
    CheckParse(bytes, (selector & 1) != 0, (selector & 2) != 0);
    // A window cut short, as the object reader first reads it.
    CheckParse(bytes.first(Size / 2), false, true);
    return 0;
}
