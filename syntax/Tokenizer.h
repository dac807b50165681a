// The tokenizer of extended reading: PDF syntax as ISO 32000-2 (7.2, 7.3)
// defines it, over a span of bytes in memory.
//
// Six white-space characters (NUL, HT, LF, FF, CR, SP); ten delimiters
// ( ) < > [ ] { } / %. "<<" and ">>" are tokens of their own, strings come
// with nested parentheses and escapes resolved, names with "#xx" decoded.
// Comments are passed over. Nothing here throws: a token that cannot be
// read is a Bad token that says why, and the end of the span is End.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace lumerra {

// ISO 32000's character classes (7.2.3), looked up in one table.
namespace syntax_detail {
inline constexpr uint8_t WhiteClass = 1, DelimiterClass = 2;
constexpr std::array<uint8_t, 256> CharacterClasses() {
    std::array<uint8_t, 256> classes{};
    for (const uint8_t c : {0, 9, 10, 12, 13, 32}) classes[c] = WhiteClass;
    for (const uint8_t c : {'(', ')', '<', '>', '[', ']', '{', '}', '/', '%'}) classes[c] = DelimiterClass;
    return classes;
}
inline constexpr std::array<uint8_t, 256> Classes = CharacterClasses();

// Whether any of the eight bytes of Word is Byte (the classic test for a
// zero byte, applied to Word with Byte's bits flipped).
inline bool HasByte(uint64_t Word, uint8_t Byte) {
    constexpr uint64_t Ones = 0x0101010101010101ull, Highs = 0x8080808080808080ull;
    const uint64_t v = Word ^ (Ones * Byte);
    return ((v - Ones) & ~v & Highs) != 0;
}
}  // namespace syntax_detail

inline bool IsIsoWhiteSpace(uint8_t c) { return syntax_detail::Classes[c] == syntax_detail::WhiteClass; }
inline bool IsIsoDelimiter(uint8_t c) { return syntax_detail::Classes[c] == syntax_detail::DelimiterClass; }
inline bool IsIsoRegular(uint8_t c) { return syntax_detail::Classes[c] == 0; }

enum class TTokenType : uint8_t {
    Integer,     // 12, -5, +7: Integer holds the value
    Real,        // 0.5, -.25, 3.: Real holds the value
    Name,        // /Type: Text holds the decoded bytes, without the slash
    String,      // (...): Text holds the bytes, escapes resolved
    HexString,   // <...>: Text holds the bytes
    Keyword,     // true, null, R, obj, stream, an operator...: Text
    ArrayOpen,   // [
    ArrayClose,  // ]
    DictOpen,    // <<
    DictClose,   // >>
    BraceOpen,   // { (PostScript calculator functions)
    BraceClose,  // }
    End,         // the span ended before another token
    Bad          // Text says what is wrong; the tokenizer has moved past it
};

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
    explicit TTokenizer(std::span<const uint8_t> Data, int64_t Base = 0) : FData(Data), FBase(Base) {}

    // Reads the next token into Token (reusing its storage).
    void Next(TSyntaxToken& Token);
    TSyntaxToken Next() {
        TSyntaxToken token;
        Next(token);
        return token;
    }

    // Passes over white space and comments; the position is then on the
    // next token's first byte, or at the end.
    void SkipWhiteSpace();

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
    size_t Position() const { return FAt; }
    void SetPosition(size_t At) { FAt = At < FData.size() ? At : FData.size(); }
    int64_t Base() const { return FBase; }
    std::span<const uint8_t> Data() const { return FData; }
    bool AtEnd() const { return FAt >= FData.size(); }

private:
    int Peek(size_t Ahead = 0) const { return FAt + Ahead < FData.size() ? FData[FAt + Ahead] : -1; }
    void ReadLiteralString(TSyntaxToken& Token);
    // The same without keeping the bytes (SetKeepStringBytes).
    void PassLiteralString(TSyntaxToken& Token);
    void ReadHexString(TSyntaxToken& Token);
    void ReadName(TSyntaxToken& Token);
    void ReadRegular(TSyntaxToken& Token);

    std::span<const uint8_t> FData;
    int64_t FBase;
    size_t FAt = 0;
    bool FKeepStrings = true;
};

// A name in the one form reports write: "/" and the name's bytes, with
// white space, delimiters, "#" and bytes outside printable ASCII written as
// "#xx" (two upper-case hexadecimal digits).
std::string NormalName(std::string_view Decoded);

}  // namespace lumerra
