#include "syntax/Scanner.h"

#include "syntax/ItemBlocks.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lumerra {

namespace {

using syntax_detail::Classes;
using syntax_detail::WhiteClass;

// The high bit of each byte of Word that equals Byte, and maybe of bytes
// after the first such one (a borrow runs on); exact up to the first.
uint64_t ByteFlags(uint64_t Word, uint8_t Byte) {
    constexpr uint64_t Ones = 0x0101010101010101ull, Highs = 0x8080808080808080ull;
    const uint64_t v = Word ^ (Ones * Byte);
    return (v - Ones) & ~v & Highs;
}

// How many bytes of the word come before the first flagged one. Where the
// first byte in memory is not the low one, 0: the bytes are then read one
// by one.
size_t BytesBeforeFlag(uint64_t Flags) {
    if constexpr (std::endian::native == std::endian::little) return static_cast<size_t>(std::countr_zero(Flags)) / 8;
    return 0;
}

// The first parenthesis or backslash from At, or End: sixteen bytes at a
// time where SSE2 is, eight otherwise (text is most of a content stream).
const uint8_t* StringStop(const uint8_t* At, const uint8_t* End) {
#if defined(__SSE2__)
    const __m128i open = _mm_set1_epi8('('), close = _mm_set1_epi8(')'), backslash = _mm_set1_epi8('\\');
    for (; End - At >= 16; At += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(At));
        const __m128i stops = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, open), _mm_cmpeq_epi8(bytes, close)),
                                           _mm_cmpeq_epi8(bytes, backslash));
        if (const auto mask = static_cast<unsigned>(_mm_movemask_epi8(stops)); mask != 0)
            return At + std::countr_zero(mask);
    }
#endif
    for (; End - At >= 8; At += 8) {
        uint64_t word;
        std::memcpy(&word, At, 8);
        const uint64_t flags = ByteFlags(word, '(') | ByteFlags(word, ')') | ByteFlags(word, '\\');
        // Near the first of them (on it where the first byte in memory is
        // the low one); the bytes below find it.
        if (flags != 0) {
            At += BytesBeforeFlag(flags);
            break;
        }
    }
    while (At < End && *At != '(' && *At != ')' && *At != '\\') ++At;
    return At;
}

}  // namespace

// Digits alone: an integer while the value fits in 64 bits signed, a real
// beyond (as TTokenizer reads them).
bool TScanner::FitsInteger(const uint8_t* Digits, size_t Count) {
    constexpr std::string_view Largest = "9223372036854775807";
    std::string_view significant(reinterpret_cast<const char*>(Digits), Count);
    const size_t first = significant.find_first_not_of('0');
    if (first == std::string_view::npos) return true;
    significant.remove_prefix(first);
    return significant.size() < Largest.size() || (significant.size() == Largest.size() && significant <= Largest);
}

void TScanner::SkipWhiteSpace() {
    const uint8_t* const begin = FData.data();
    const uint8_t* const end = begin + FData.size();
    const uint8_t* p = begin + FAt;
    for (;;) {
        while (p < end && Classes[*p] == WhiteClass) ++p;
        if (p == end || *p != '%') break;
        while (p < end && *p != '\n' && *p != '\r') ++p;
    }
    FAt = static_cast<size_t>(p - begin);
}

void TScanner::PassStringsAndNumbers() {
    using syntax_detail::DigitByte;
    using syntax_detail::NumberClasses;
    using syntax_detail::OtherByte;
    using syntax_detail::PeriodByte;
    using syntax_detail::SignByte;
    const uint8_t* const begin = FData.data();
    const uint8_t* const end = begin + FData.size();
    const uint8_t* p = begin + FAt;
    for (;;) {
        // Whole blocks first; what they leave, one item here.
        p = syntax_detail::PassItemsByBlocks(p, end);
        while (p < end && Classes[*p] == WhiteClass) ++p;
        FAt = static_cast<size_t>(p - begin);
        if (p == end) return;
        const uint8_t* q = p + 1;
        if (*p == '(') {
            for (int depth = 0;;) {
                // Most words of text end within eight bytes: straight to
                // the first parenthesis or backslash.
                if (end - q >= 8) {
                    uint64_t word;
                    std::memcpy(&word, q, 8);
                    const uint64_t flags = ByteFlags(word, '(') | ByteFlags(word, ')') | ByteFlags(word, '\\');
                    q += flags != 0 ? BytesBeforeFlag(flags) : 8;
                    if (flags == 0) continue;
                }
                if (q == end) return;
                const uint8_t c = *q++;
                if (c == ')') {
                    if (depth-- == 0) break;
                } else if (c == '(') {
                    ++depth;
                } else if (c == '\\') {
                    if (q == end) return;
                    ++q;
                }
            }
        } else {
            // A number as Next reads one; any other regular run is a keyword.
            const uint8_t kind = NumberClasses[*p];
            if (kind == 0 || kind == OtherByte) return;
            uint8_t seen = kind == SignByte ? 0 : kind;
            for (uint8_t k; q < end && (k = NumberClasses[*q]) != 0; ++q) seen |= k;
            if ((seen & (SignByte | OtherByte)) != 0 || (seen & DigitByte) == 0) return;
            // Periods are counted only in the numbers that have one.
            if ((seen & PeriodByte) != 0 && std::count(p, q, '.') > 1) return;
        }
        p = q;
    }
}

void TScanner::NextOther(TScanToken& Token) {
    const uint8_t* const begin = FData.data();
    const uint8_t* const end = begin + FData.size();
    const uint8_t* p = begin + FAt;
    // Next passed the white space; past a comment, another keyword or
    // number may stand.
    if (p < end && *p == '%') {
        SkipWhiteSpace();
        p = begin + FAt;
        if (p < end && syntax_detail::NumberClasses[*p] != 0) return Next(Token);
    }
    Token.Fault = TScanFault::None;
    Token.Escaped = false;
    Token.Bytes = {};
    Token.Offset = FAt;
    if (p == end) {
        Token.Type = TTokenType::End;
        return;
    }
    const uint8_t c = *p;
    const bool paired = p + 1 < end && p[1] == c;
    switch (c) {
        case '(': ++FAt; PassLiteralString(Token); return;
        case '/': {
            const uint8_t* const start = ++p;
            bool escaped = false;
            for (; p < end && Classes[*p] == 0; ++p) escaped |= *p == '#';
            FAt = static_cast<size_t>(p - begin);
            Token.Type = TTokenType::Name;
            Token.Escaped = escaped;
            Token.Bytes = {reinterpret_cast<const char*>(start), static_cast<size_t>(p - start)};
            return;
        }
        case '[': ++FAt; Token.Type = TTokenType::ArrayOpen; return;
        case ']': ++FAt; Token.Type = TTokenType::ArrayClose; return;
        case '{': ++FAt; Token.Type = TTokenType::BraceOpen; return;
        case '}': ++FAt; Token.Type = TTokenType::BraceClose; return;
        case '<':
            if (paired) {
                FAt += 2;
                Token.Type = TTokenType::DictOpen;
            } else {
                ++FAt;
                PassHexString(Token);
            }
            return;
        case '>':
            ++FAt;
            if (paired) {
                ++FAt;
                Token.Type = TTokenType::DictClose;
            } else {
                Token.Type = TTokenType::Bad;
                Token.Fault = TScanFault::UnexpectedAngle;
            }
            return;
        default:  // ')': the only delimiter left
            ++FAt;
            Token.Type = TTokenType::Bad;
            Token.Fault = TScanFault::UnexpectedParenthesis;
            return;
    }
}

void TScanner::PassLiteralString(TScanToken& Token) {
    Token.Type = TTokenType::String;
    const uint8_t* const begin = FData.data();
    const uint8_t* const end = begin + FData.size();
    const uint8_t* p = begin + FAt;
    for (int depth = 0; (p = StringStop(p, end)) < end;) {
        const uint8_t c = *p++;
        if (c == '(') {
            ++depth;
        } else if (c == ')') {
            if (depth-- == 0) {
                FAt = static_cast<size_t>(p - begin);
                return;
            }
        } else if (p < end) {
            // Whatever the escape, the byte after the backslash neither opens
            // nor closes the string.
            ++p;
        }
    }
    FAt = FData.size();
    Token.Type = TTokenType::Bad;
    Token.Fault = TScanFault::UnterminatedString;
}

void TScanner::PassHexString(TScanToken& Token) {
    Token.Type = TTokenType::HexString;
    while (FAt < FData.size()) {
        const uint8_t c = FData[FAt++];
        if (c == '>') return;
        if (Classes[c] == WhiteClass || HexDigitValue(c) >= 0) continue;
        // Pass over the rest of the string so that reading goes on after it.
        while (FAt < FData.size() && FData[FAt] != '>') ++FAt;
        if (FAt < FData.size()) ++FAt;
        Token.Type = TTokenType::Bad;
        Token.Fault = TScanFault::BadHexString;
        return;
    }
    Token.Type = TTokenType::Bad;
    Token.Fault = TScanFault::UnterminatedHexString;
}

void TScanner::DecodeName(std::string_view Written, std::string& Out) {
    Out.clear();
    for (size_t i = 0; i < Written.size(); ++i) {
        const char c = Written[i];
        if (c == '#' && i + 2 < Written.size()) {
            const int high = HexDigitValue(static_cast<uint8_t>(Written[i + 1]));
            const int low = HexDigitValue(static_cast<uint8_t>(Written[i + 2]));
            if (high >= 0 && low >= 0) {
                Out += static_cast<char>(high << 4 | low);
                i += 2;
                continue;
            }
        }
        // A "#" not followed by two hexadecimal digits stands for itself.
        Out += c;
    }
}

}  // namespace lumerra
