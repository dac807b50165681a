#include "syntax/ContentScanner.h"

#include <cstring>

namespace lumerra {

namespace {

using syntax_detail::Classes;
using syntax_detail::HasByte;
using syntax_detail::WhiteClass;

bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }

int HexValue(int c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Digits alone: an integer while the value fits in 64 bits signed, a real
// beyond (as TTokenizer reads them).
bool FitsInteger(std::string_view Digits) {
    constexpr std::string_view Largest = "9223372036854775807";
    const size_t first = Digits.find_first_not_of('0');
    if (first == std::string_view::npos) return true;
    const std::string_view significant = Digits.substr(first);
    return significant.size() < Largest.size() || (significant.size() == Largest.size() && significant <= Largest);
}

// A regular run's kind: a number is an optional sign and digits with at
// most one period, at least one digit; anything else is a keyword.
TTokenType Classify(std::string_view Run) {
    const char first = Run[0];
    if (!IsDigit(static_cast<uint8_t>(first)) && first != '+' && first != '-' && first != '.') return TTokenType::Keyword;
    const size_t start = first == '+' || first == '-' ? 1 : 0;
    size_t digits = 0, periods = 0;
    for (size_t i = start; i < Run.size(); ++i) {
        if (IsDigit(static_cast<uint8_t>(Run[i]))) ++digits;
        else if (Run[i] == '.') ++periods;
        else return TTokenType::Keyword;
    }
    if (digits == 0 || periods > 1) return TTokenType::Keyword;
    if (periods == 1) return TTokenType::Real;
    return digits < 19 || FitsInteger(Run.substr(start)) ? TTokenType::Integer : TTokenType::Real;
}

}  // namespace

void TContentScanner::SkipWhiteSpace() {
    const uint8_t* data = FData.data();
    const size_t size = FData.size();
    size_t at = FAt;
    while (at < size) {
        const uint8_t c = data[at];
        if (Classes[c] == WhiteClass) {
            ++at;
        } else if (c == '%') {
            while (at < size && data[at] != '\n' && data[at] != '\r') ++at;
        } else {
            break;
        }
    }
    FAt = at;
}

void TContentScanner::Next(TScanToken& Token) {
    SkipWhiteSpace();
    Token.Fault = TScanFault::None;
    Token.Escaped = false;
    Token.Bytes = {};
    Token.Offset = FAt;
    if (FAt >= FData.size()) {
        Token.Type = TTokenType::End;
        return;
    }
    const uint8_t c = FData[FAt];
    const bool paired = FAt + 1 < FData.size() && FData[FAt + 1] == c;
    switch (c) {
        case '(': ++FAt; PassLiteralString(Token); return;
        case '/': {
            const size_t start = ++FAt;
            bool escaped = false;
            while (FAt < FData.size() && Classes[FData[FAt]] == 0) escaped |= FData[FAt++] == '#';
            Token.Type = TTokenType::Name;
            Token.Escaped = escaped;
            Token.Bytes = {reinterpret_cast<const char*>(FData.data()) + start, FAt - start};
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
            if (paired) {
                FAt += 2;
                Token.Type = TTokenType::DictClose;
            } else {
                ++FAt;
                Token.Type = TTokenType::Bad;
                Token.Fault = TScanFault::UnexpectedAngle;
            }
            return;
        case ')':
            ++FAt;
            Token.Type = TTokenType::Bad;
            Token.Fault = TScanFault::UnexpectedParenthesis;
            return;
        default: ReadRegular(Token); return;
    }
}

void TContentScanner::ReadRegular(TScanToken& Token) {
    const size_t start = FAt;
    while (FAt < FData.size() && Classes[FData[FAt]] == 0) ++FAt;
    const std::string_view run(reinterpret_cast<const char*>(FData.data()) + start, FAt - start);
    Token.Type = Classify(run);
    if (Token.Type == TTokenType::Keyword) Token.Bytes = run;
}

void TContentScanner::PassLiteralString(TScanToken& Token) {
    Token.Type = TTokenType::String;
    int depth = 0;
    while (FAt < FData.size()) {
        // Eight bytes at a time while none of them is a parenthesis or a
        // backslash: text is most of a content stream.
        while (FAt + 8 <= FData.size()) {
            uint64_t word;
            std::memcpy(&word, FData.data() + FAt, 8);
            if (HasByte(word, '(') || HasByte(word, ')') || HasByte(word, '\\')) break;
            FAt += 8;
        }
        if (FAt >= FData.size()) break;
        const uint8_t c = FData[FAt++];
        if (c == '(') {
            ++depth;
        } else if (c == ')') {
            if (depth-- == 0) return;
        } else if (c == '\\') {
            // Whatever the escape, the byte after the backslash neither opens
            // nor closes the string.
            if (FAt < FData.size()) ++FAt;
        }
    }
    Token.Type = TTokenType::Bad;
    Token.Fault = TScanFault::UnterminatedString;
}

void TContentScanner::PassHexString(TScanToken& Token) {
    Token.Type = TTokenType::HexString;
    while (FAt < FData.size()) {
        const uint8_t c = FData[FAt++];
        if (c == '>') return;
        if (Classes[c] == WhiteClass || HexValue(c) >= 0) continue;
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

void TContentScanner::DecodeName(std::string_view Written, std::string& Out) {
    Out.clear();
    for (size_t i = 0; i < Written.size(); ++i) {
        const char c = Written[i];
        if (c == '#' && i + 2 < Written.size()) {
            const int high = HexValue(static_cast<uint8_t>(Written[i + 1]));
            const int low = HexValue(static_cast<uint8_t>(Written[i + 2]));
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
