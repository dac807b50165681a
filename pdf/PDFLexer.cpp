#include "pdf/PDFLexer.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

#include "common/UniqueFd.h"

namespace lumerra {

namespace {

void StepBack(TStream& S, int32_t count = 1) { S.Seek(-count, TSeekOrigin::soCurrent); }

// One number of a box: the rounded value, or false when the text is not a
// number or does not fit in 32 bits.
bool ConvertBoxNumber(std::string_view text, int32_t& value) {
    const char* first = text.data();
    const char* last = text.data() + text.size();
    // from_chars refuses a plus sign; only one sign may stand before the digits.
    if (first != last && *first == '+') {
        ++first;
        if (first != last && (*first == '+' || *first == '-')) return false;
    }
    double number = 0;
    const auto [end, error] = std::from_chars(first, last, number);
    if (error != std::errc() || end != last || !std::isfinite(number)) return false;
    const double rounded = std::nearbyint(number);  // ties to even
    if (rounded < INT32_MIN || rounded > INT32_MAX) return false;
    value = static_cast<int32_t>(rounded);
    return true;
}

}  // namespace

namespace {

using default_reading::Classes;
using default_reading::Regular;
using default_reading::WhiteSpace;

// The readable bytes at the position; EReadError at the end of the stream.
const uint8_t* Window(TStream& S, int32_t& available) {
    const uint8_t* window = S.ReadWindow(available);
    if (available <= 0) throw EReadError();
    return window;
}

void Advance(TStream& S, int32_t count) {
    if (count > 0) S.Seek(count, TSeekOrigin::soCurrent);
}

// A number: an optional sign, then digits with at most one decimal point.
bool IsNumberText(const std::string& text) {
    size_t i = text[0] == '+' || text[0] == '-' ? 1 : 0;
    bool digits = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digits = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digits;
}

TTokenKind KindOf(const std::string& text) {
    switch (text[0]) {
        case '/': return TTokenKind::Name;
        case '(': return TTokenKind::StringStart;
        case '%': return TTokenKind::Comment;
        case ')':
        case '<':
        case '>':
        case '[':
        case ']': return TTokenKind::Delimiter;
        default: return IsNumberText(text) ? TTokenKind::Number : TTokenKind::Keyword;
    }
}

// The token at the position into Token; false when the data ends before a
// token is complete (the position is then at the end).
//
// The readers from here on scan the stream's read windows rather than calling
// a read for every byte; what they consume is exactly what a byte-by-byte
// reading would consume.
bool LexToken(TStream& S, std::string& Token) {
    Token.clear();
    int32_t available;
    const uint8_t* p = S.ReadWindow(available);
    if (available <= 0) return false;
    int32_t i = 0;
    // White space first, then the token, usually within one window.
    for (;;) {
        while (i < available && Classes[p[i]] == WhiteSpace) ++i;
        if (i < available) break;
        Advance(S, i);
        p = S.ReadWindow(available);
        if (available <= 0) return false;
        i = 0;
    }
    int32_t start = i;
    for (;;) {
        while (i < available && Classes[p[i]] == Regular) ++i;
        Token.append(reinterpret_cast<const char*>(p + start), static_cast<size_t>(i - start));
        if (i == available) {
            Advance(S, i);
            p = S.ReadWindow(available);
            if (available <= 0) return false;
            i = start = 0;
            continue;
        }
        const uint8_t c = p[i];
        if (Classes[c] == WhiteSpace || !Token.empty()) {
            Advance(S, i);  // the ending byte stays unread
            return true;
        }
        // A delimiter opens the token: "/" starts a name, the others stand
        // alone.
        Token += static_cast<char>(c);
        start = ++i;
        if (c != '/') {
            Advance(S, i);
            return true;
        }
    }
}

}  // namespace


void SkipWhiteSpace(TStream& S) {
    for (;;) {
        int32_t available;
        const uint8_t* p = Window(S, available);
        int32_t i = 0;
        while (i < available && Classes[p[i]] == WhiteSpace) ++i;
        Advance(S, i);
        if (i < available) return;
    }
}

void SkipLine(TStream& S) {
    for (;;) {
        int32_t available;
        const uint8_t* p = Window(S, available);
        int32_t i = 0;
        while (i < available && p[i] != '\n' && p[i] != '\r') ++i;
        if (i < available) {
            Advance(S, i + 1);
            return;
        }
        Advance(S, i);
    }
}

TTokenKind NextToken(TStream& S, TToken& Token) {
    if (LexToken(S, Token.Text)) return Token.Kind = KindOf(Token.Text);
    Token.Text.clear();
    return Token.Kind = TTokenKind::EndOfData;
}

const std::string& ReadToken(TStream& S, std::string& Token) {
    if (!LexToken(S, Token)) throw EReadError();
    return Token;
}

std::string ReadToken(TStream& S) {
    std::string token;
    ReadToken(S, token);
    return token;
}

void SkipLiteralString(TStream& S) {
    uint8_t c;
    auto next = [&S, &c] { return S.ReadByte(c); };
    while (next()) {
        if (c == ')') return;
        if (c != '\\') continue;
        if (!next()) return;
        if (c == '\r') {
            if (!next()) return;
            if (c != '\n') StepBack(S);
        } else if (c >= '0' && c <= '9') {
            if (!next() || c == ')') return;
            if (c >= '0' && c <= '9') {
                if (!next() || c == ')') return;
            }
        }
    }
}

void SkipData(TStream& S, int32_t Count) {
    const int64_t position = S.Position();
    const int64_t target = position + std::max(Count, 0);
    S.SetPosition(std::min<int64_t>(target, std::max(S.Size(), position)));
}

void SkipObjectHeader(TStream& S) {
    std::string token;
    for (int i = 0; i < 4; ++i) ReadToken(S, token);
    if (token == "%")
        SkipLine(S);
    else
        StepBack(S, static_cast<int32_t>(token.size()));
}

TBox& ParseBox(const std::string& Text, TBox& Box) {
    Box = TBox{};
    int32_t values[4] = {};
    size_t cursor = 0;
    auto at = [&Text](size_t i) -> char { return i < Text.size() ? Text[i] : '\0'; };
    for (int32_t& value : values) {
        while (at(cursor) != '\0' && at(cursor) != '+' && at(cursor) != '-' &&
               !(at(cursor) >= '0' && at(cursor) <= '9'))
            ++cursor;
        const size_t start = cursor;
        while (at(cursor) != '\0' && at(cursor) != '\n' && at(cursor) != '\r' && at(cursor) != ' ' &&
               at(cursor) != ']')
            ++cursor;
        const std::string_view number = cursor > start ? std::string_view(Text).substr(start, cursor - start) : "0";
        if (!ConvertBoxNumber(number, value)) return Box;
    }
    Box = TBox{values[0], values[1], values[2], values[3]};
    return Box;
}

}  // namespace lumerra
