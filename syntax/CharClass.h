// PDF's character classes as ISO 32000-2 (7.2.3) defines them, and the
// hexadecimal digits: the one definition for extended reading, the checkers,
// the history and the triage. The default reading keeps a narrower set of
// its own (pdf/PDFLexer.h).
//
// Six white-space characters (NUL, HT, LF, FF, CR, SP); ten delimiters
// ( ) < > [ ] { } / %; every other byte is regular.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace lumerra {

namespace syntax_detail {
inline constexpr uint8_t WhiteClass = 1, DelimiterClass = 2;
constexpr std::array<uint8_t, 256> CharacterClasses() {
    std::array<uint8_t, 256> classes{};
    for (const uint8_t c : {0, 9, 10, 12, 13, 32}) classes[c] = WhiteClass;
    for (const uint8_t c : {'(', ')', '<', '>', '[', ']', '{', '}', '/', '%'}) classes[c] = DelimiterClass;
    return classes;
}
// Looked up by the scanner's inner loops, one byte at a time.
inline constexpr std::array<uint8_t, 256> Classes = CharacterClasses();

constexpr std::array<int8_t, 256> HexDigitValues() {
    std::array<int8_t, 256> values{};
    for (auto& value : values) value = -1;
    for (int c = '0'; c <= '9'; ++c) values[c] = static_cast<int8_t>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c) values[c] = static_cast<int8_t>(c - 'A' + 10);
    for (int c = 'a'; c <= 'f'; ++c) values[c] = static_cast<int8_t>(c - 'a' + 10);
    return values;
}
inline constexpr std::array<int8_t, 256> HexValues = HexDigitValues();
}  // namespace syntax_detail

constexpr bool IsIsoWhiteSpace(uint8_t c) { return syntax_detail::Classes[c] == syntax_detail::WhiteClass; }
constexpr bool IsIsoDelimiter(uint8_t c) { return syntax_detail::Classes[c] == syntax_detail::DelimiterClass; }
constexpr bool IsIsoRegular(uint8_t c) { return syntax_detail::Classes[c] == 0; }

// A hexadecimal digit's value (either case), or -1.
constexpr int HexDigitValue(uint8_t c) { return syntax_detail::HexValues[c]; }

// The digits that write a nibble, as names, strings and messages show bytes.
inline constexpr std::string_view UpperHexDigits = "0123456789ABCDEF";
// The same in lower case, as digests and hex dumps are written.
inline constexpr std::string_view LowerHexDigits = "0123456789abcdef";

}  // namespace lumerra
