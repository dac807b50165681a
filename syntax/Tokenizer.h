// The tokenizer of extended reading: the scanner's tokens read as values
// (numbers converted, strings with nested parentheses and escapes resolved,
// names with "#xx" decoded), with byte offsets in what the span was taken
// from. Every reader of the extended path parses through it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "syntax/Scanner.h"

namespace lumerra {


struct TSyntaxToken {
    TTokenType Type = TTokenType::End;
    int64_t Offset = 0;  // of the token's first byte, with the tokenizer's base added
    std::string Text;
    int64_t Integer = 0;
    double Real = 0;
    // A token that ran into the end of the span (a string, a name, a number,
    // a keyword): more bytes might complete it, so the reader of a window
    // asks for a larger one.
    bool Truncated = false;

    bool IsKeyword(std::string_view Word) const { return Type == TTokenType::Keyword && Text == Word; }
};

class TTokenizer {
public:
    // Base is the offset of Data's first byte in what it was taken from (the
    // file, an object stream), so that tokens tell where they stand there.
    explicit TTokenizer(std::span<const uint8_t> Data, int64_t Base = 0) : FScanner(Data), FBase(Base) {}

    // Reads the next token into Token (reusing its storage).
    void Next(TSyntaxToken& Token);
    TSyntaxToken Next() {
        TSyntaxToken token;
        Next(token);
        return token;
    }

    // Passes over white space and comments; the position is then on the
    // next token's first byte, or at the end.
    void SkipWhiteSpace() { FScanner.SkipWhiteSpace(); }

    // After an integer: whether " g R" follows (a generation of digits, then
    // the keyword R), which a reference needs. Yes moves past it and gives
    // g; No leaves the position; Unknown when the span ends before it tells.
    enum class TReferenceTail : uint8_t { No, Yes, Unknown };
    TReferenceTail ReadReferenceTail(int64_t& Generation);

    // Passes over white space and comments and tells the byte the next token
    // starts with, and the one after it; -1 past the end. Nothing is read.
    int PeekByte(size_t Ahead = 0) {
        SkipWhiteSpace();
        return Peek(Ahead);
    }

    // With false, strings (literal and hexadecimal) are read to their end and
    // their faults told as always, but their bytes are not kept: Text stays
    // empty. For readers that look at a content stream's structure only.
    void SetKeepStringBytes(bool Keep) { FKeepStrings = Keep; }

    // The position in the span, counted from its start.
    size_t Position() const { return FScanner.Position(); }
    void SetPosition(size_t At) { FScanner.SetPosition(At); }
    int64_t Base() const { return FBase; }
    std::span<const uint8_t> Data() const { return FScanner.Data(); }
    bool AtEnd() const { return FScanner.Position() >= FScanner.Data().size(); }

private:
    int Peek(size_t Ahead = 0) const {
        const size_t at = FScanner.Position() + Ahead;
        return at < FScanner.Data().size() ? FScanner.Data()[at] : -1;
    }

    TScanner FScanner;
    int64_t FBase;
    bool FKeepStrings = true;
};

// A name in the one form reports write: "/" and the name's bytes, with
// white space, delimiters, "#" and bytes outside printable ASCII written as
// "#xx" (two upper-case hexadecimal digits).
std::string NormalName(std::string_view Decoded);

}  // namespace lumerra
