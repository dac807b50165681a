// PDF lexing primitives: free functions that read PDF syntax straight from a
// byte stream, one byte at a time, without building an object tree.
//
// White space is exactly LF, CR and space; the token delimiters are those
// three and % ( ) / < > [ ]. So "<<" arrives as two "<" tokens.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/Stream.h"

namespace lumerra {

// Four integers of a PDF rectangle, in the order they stand in the array.
struct TBox {
    int32_t Left = 0;
    int32_t Bottom = 0;
    int32_t Right = 0;
    int32_t Top = 0;
    friend bool operator==(const TBox&, const TBox&) = default;
};

// The default reading's character classes, narrower than ISO's
// (syntax/CharClass.h) on purpose: the report was fixed with NUL, HT and FF
// read as parts of tokens and braces as regular bytes, and it must stay
// byte for byte as it is.
namespace default_reading {
enum : uint8_t { Regular = 0, WhiteSpace = 1, Delimiter = 2 };
constexpr std::array<uint8_t, 256> MakeClasses() {
    std::array<uint8_t, 256> classes{};
    for (const uint8_t c : {'\n', '\r', ' '}) classes[c] = WhiteSpace;
    for (const uint8_t c : {'%', '(', ')', '/', '<', '>', '[', ']'}) classes[c] = Delimiter;
    return classes;
}
inline constexpr std::array<uint8_t, 256> Classes = MakeClasses();
}  // namespace default_reading

constexpr bool IsDefaultReadingWhiteSpace(uint8_t c) {
    return default_reading::Classes[c] == default_reading::WhiteSpace;
}
constexpr bool IsDefaultReadingDelimiter(uint8_t c) {
    return default_reading::Classes[c] == default_reading::Delimiter;
}

// What a token is, told by its first bytes. The dialect does not pair
// brackets: "<<" is two Delimiter tokens "<", and "<" may as well open a
// hexadecimal string.
enum class TTokenKind : uint8_t {
    Name,         // "/Type", the slash kept
    Number,       // "12", "-5", "0.5"
    Keyword,      // any other run of regular bytes: obj, R, stream, null, hex digits
    Delimiter,    // one of < > [ ] ) standing alone
    StringStart,  // "(": a literal string follows
    Comment,      // "%": a comment runs to the end of the line
    EndOfData     // the data ended before a token was complete
};

struct TToken {
    TTokenKind Kind = TTokenKind::EndOfData;
    std::string Text;  // empty at the end of the data

    // Compares the lengths first: most tokens differ from a keyword in
    // length, and a scan compares every token with several.
    bool Is(std::string_view Word) const { return std::string_view(Text) == Word; }
};

// Leaves the position on the first byte that is not white space; EReadError
// at the end of the stream.
void SkipWhiteSpace(TStream& S);
// Consumes bytes up to and including the first LF or CR.
void SkipLine(TStream& S);
// Reads one token into Token and returns its kind. A white-space or
// delimiter byte that ended the token is left unread. At the end of the data
// (also when a token runs into it) the kind is EndOfData and the position is
// at the end.
TTokenKind NextToken(TStream& S, TToken& Token);
// The same for readers that take the end as an error: the token's text
// (never empty); EReadError at the end.
const std::string& ReadToken(TStream& S, std::string& Token);
std::string ReadToken(TStream& S);
// Called after a "(" token: consumes the literal string up to its closing
// ")". Nested parentheses are not counted. Stops quietly at the end.
void SkipLiteralString(TStream& S);
// Moves the position on by Count bytes of stream data: a negative count
// skips nothing, and a count that runs past the end of the stream stops there.
void SkipData(TStream& S, int32_t Count);
// Passes over "n g obj" (and a comment right after it), leaving the position
// on the first token of the object's body.
void SkipObjectHeader(TStream& S);
// Four numbers out of a box array's text; all zero when a number cannot be
// converted. Never raises.
TBox& ParseBox(const std::string& Text, TBox& Box);

}  // namespace lumerra
