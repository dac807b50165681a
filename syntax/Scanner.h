// The one lexer of extended reading: PDF syntax as ISO 32000-2 (7.2, 7.3)
// defines it, over a span of bytes in memory.
//
// Its character classes are syntax/CharClass.h's. "<<" and ">>" are tokens
// of their own. Comments are passed over. Nothing here throws: a token that
// cannot be read is a Bad token that says why, and the end of the span is
// End.
//
// The scanner reads each token's kind, where it stands and the bytes of a
// keyword or a name as they are written; nothing is converted or copied (a
// number is only told integer or real, a string only passed over), so that
// checking a content stream costs little more than decoding it. TTokenizer
// reads values through it: numbers converted, strings with their escapes
// resolved, names with "#xx" decoded.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "syntax/CharClass.h"

namespace lumerra {

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

// Why a Bad token could not be read.
enum class TScanFault : uint8_t {
    None,
    UnterminatedString,     // "(" without its ")"
    UnterminatedHexString,  // "<" without its ">"
    BadHexString,           // a byte in <...> that is neither a hexadecimal digit nor white space
    UnexpectedParenthesis,  // ")" outside a string
    UnexpectedAngle         // ">" that is not half of ">>"
};

struct TScanToken {
    TTokenType Type = TTokenType::End;
    TScanFault Fault = TScanFault::None;
    // A name written with "#": its bytes need DecodeName.
    bool Escaped = false;
    size_t Offset = 0;  // of the first byte, counted from the data's start
    // A keyword's bytes; a name's bytes after the slash, as written. Empty
    // for other tokens. They point into the data.
    std::string_view Bytes;

    bool Is(std::string_view Keyword) const { return Type == TTokenType::Keyword && Bytes == Keyword; }
};

namespace syntax_detail {
// The bytes of a regular run as a number sees them; 0 ends the run.
inline constexpr uint8_t DigitByte = 1, PeriodByte = 2, SignByte = 4, OtherByte = 8;
constexpr std::array<uint8_t, 256> NumberBytes() {
    std::array<uint8_t, 256> bytes{};
    for (size_t c = 0; c < 256; ++c)
        if (Classes[c] == 0) bytes[c] = OtherByte;
    for (uint8_t c = '0'; c <= '9'; ++c) bytes[c] = DigitByte;
    bytes['.'] = PeriodByte;
    bytes['+'] = bytes['-'] = SignByte;
    return bytes;
}
inline constexpr std::array<uint8_t, 256> NumberClasses = NumberBytes();
}  // namespace syntax_detail

class TScanner {
public:
    explicit TScanner(std::span<const uint8_t> Data) : FData(Data) {}

    // Keywords and numbers, most of a content stream, are read here (inline,
    // as a checker calls this for every token); the rest by NextOther.
    [[gnu::always_inline]] void Next(TScanToken& Token) {
        using namespace syntax_detail;
        const uint8_t* const begin = FData.data();
        const uint8_t* const end = begin + FData.size();
        const uint8_t* p = begin + FAt;
        // Most tokens stand after one byte of white space.
        if (p < end && Classes[*p] == WhiteClass)
            for (++p; p < end && Classes[*p] == WhiteClass;) ++p;
        FAt = static_cast<size_t>(p - begin);
        const uint8_t kind = p < end ? NumberClasses[*p] : 0;
        Token.Offset = FAt;
        Token.Fault = TScanFault::None;
        Token.Escaped = false;
        if (kind == 0) {
            // Strings of text, the commonest of the rest, read straight.
            if (p == end || *p != '(') return NextOther(Token);
            Token.Bytes = {};
            ++FAt;
            return PassLiteralString(Token);
        }
        const uint8_t* const start = p++;
        if (kind == OtherByte) {
            while (p < end && Classes[*p] == 0) ++p;
            Token.Type = TTokenType::Keyword;
        } else {
            // A number is an optional sign and digits with at most one
            // period, at least one digit; any other regular run is a keyword.
            uint8_t seen = kind == SignByte ? 0 : kind;
            size_t periods = kind == PeriodByte;
            for (uint8_t k; p < end && (k = NumberClasses[*p]) != 0; ++p) {
                seen |= k;
                periods += k == PeriodByte;
            }
            if ((seen & (SignByte | OtherByte)) != 0 || (seen & DigitByte) == 0 || periods > 1) {
                Token.Type = TTokenType::Keyword;
            } else {
                const auto digits = static_cast<size_t>(p - start) - (kind == SignByte);
                Token.Type = periods == 1 || (digits >= 19 && !FitsInteger(p - digits, digits)) ? TTokenType::Real
                                                                                                 : TTokenType::Integer;
                Token.Bytes = {};
                FAt = static_cast<size_t>(p - begin);
                return;
            }
        }
        Token.Bytes = {reinterpret_cast<const char*>(start), static_cast<size_t>(p - start)};
        FAt = static_cast<size_t>(p - begin);
    }

    // Passes over white space and comments; the position is then on the
    // next token's first byte, or at the end.
    void SkipWhiteSpace();
    // Passes over literal strings and numbers, and the white space between
    // them (the body of a TJ array, most of a page of text), in one tight
    // loop; the position is then on the first byte of any other token (a
    // string not closed included), or at the end. Next reads the same
    // tokens, one call each.
    void PassStringsAndNumbers();

    size_t Position() const { return FAt; }
    void SetPosition(size_t At) { FAt = At < FData.size() ? At : FData.size(); }
    std::span<const uint8_t> Data() const { return FData; }

    // A name's written bytes with "#xx" decoded, as TTokenizer gives them.
    static void DecodeName(std::string_view Written, std::string& Out);

private:
    // Comments, delimiters and the end of the data.
    void NextOther(TScanToken& Token);
    // Whether Count digits at Digits make a value that fits in 64 bits signed.
    static bool FitsInteger(const uint8_t* Digits, size_t Count);
    void PassLiteralString(TScanToken& Token);
    void PassHexString(TScanToken& Token);

    std::span<const uint8_t> FData;
    size_t FAt = 0;
};

}  // namespace lumerra
