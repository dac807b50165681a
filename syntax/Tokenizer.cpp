#include "syntax/Tokenizer.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>

namespace lumerra {

namespace {

int HexValue(int c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }

using syntax_detail::HasByte;

// The bytes a literal string treats apart from the others.
bool IsStringSpecial(uint8_t c) { return c == '(' || c == ')' || c == '\\' || c == '\r'; }

// A regular run read as a number: an optional sign, digits with at most one
// period, at least one digit.
bool ReadNumber(std::string_view Run, TSyntaxToken& Token) {
    const bool negative = Run[0] == '-';
    const size_t first = Run[0] == '+' || Run[0] == '-' ? 1 : 0;
    // Most numbers are plain integers: read as they are checked.
    uint64_t magnitude = 0;
    size_t k = first;
    for (; k < Run.size() && IsDigit(static_cast<uint8_t>(Run[k])) && magnitude < uint64_t{1} << 59; ++k)
        magnitude = magnitude * 10 + static_cast<uint64_t>(Run[k] - '0');
    if (k == Run.size() && k > first) {
        Token.Type = TTokenType::Integer;
        Token.Integer = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
        Token.Real = static_cast<double>(Token.Integer);
        return true;
    }
    int digits = 0, periods = 0;
    for (size_t i = first; i < Run.size(); ++i) {
        if (IsDigit(static_cast<uint8_t>(Run[i]))) ++digits;
        else if (Run[i] == '.') ++periods;
        else return false;
    }
    if (digits == 0 || periods > 1) return false;
    const std::string_view body = Run.substr(first);
    if (periods == 0) {
        const auto [end, error] = std::from_chars(body.data(), body.data() + body.size(), magnitude);
        if (error == std::errc() && end == body.data() + body.size() && magnitude <= uint64_t{INT64_MAX}) {
            Token.Type = TTokenType::Integer;
            Token.Integer = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
            Token.Real = static_cast<double>(Token.Integer);
            return true;
        }
    }
    // A real, or an integer too large for 64 bits (read as a real, as readers do).
    double value = 0;
    for (const char c : body) {
        if (c == '.') continue;
        value = value * 10 + (c - '0');
    }
    if (const size_t period = body.find('.'); period != std::string_view::npos) {
        // Powers of ten up to 1e22 are exact doubles: the same quotient as
        // std::pow gives, without its cost on every real of a content stream.
        static constexpr double Exact[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                           1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
        const size_t decimals = body.size() - period - 1;
        value /= decimals < std::size(Exact) ? Exact[decimals] : std::pow(10.0, static_cast<double>(decimals));
    }
    Token.Type = TTokenType::Real;
    Token.Real = negative ? -value : value;
    Token.Integer = std::isfinite(Token.Real) && std::fabs(Token.Real) < 9.2e18 ? static_cast<int64_t>(Token.Real) : 0;
    return true;
}

}  // namespace

void TTokenizer::SkipWhiteSpace() {
    // Locals, not members: the loop runs between every two tokens.
    const uint8_t* data = FData.data();
    const size_t size = FData.size();
    size_t at = FAt;
    while (at < size) {
        const uint8_t c = data[at];
        if (IsIsoWhiteSpace(c)) {
            ++at;
        } else if (c == '%') {
            while (at < size && data[at] != '\n' && data[at] != '\r') ++at;
        } else {
            break;
        }
    }
    FAt = at;
}

TTokenizer::TReferenceTail TTokenizer::ReadReferenceTail(int64_t& Generation) {
    const size_t mark = FAt;
    const auto answer = [&](TReferenceTail Answer) {
        if (Answer != TReferenceTail::Yes) FAt = mark;
        return Answer;
    };
    SkipWhiteSpace();
    const size_t digits = FAt;
    int64_t generation = 0;
    while (FAt < FData.size() && IsDigit(FData[FAt])) {
        if (generation <= INT32_MAX) generation = generation * 10 + (FData[FAt] - '0');
        ++FAt;
    }
    if (FAt == FData.size()) return answer(TReferenceTail::Unknown);
    if (FAt == digits || IsIsoRegular(FData[FAt])) return answer(TReferenceTail::No);
    SkipWhiteSpace();
    if (FAt == FData.size()) return answer(TReferenceTail::Unknown);
    if (FData[FAt] != 'R') return answer(TReferenceTail::No);
    if (FAt + 1 < FData.size() && IsIsoRegular(FData[FAt + 1])) return answer(TReferenceTail::No);
    ++FAt;
    Generation = generation;
    return TReferenceTail::Yes;
}

void TTokenizer::Next(TSyntaxToken& Token) {
    SkipWhiteSpace();
    Token.Text.clear();
    Token.Integer = 0;
    Token.Real = 0;
    Token.Truncated = false;
    Token.Offset = FBase + static_cast<int64_t>(FAt);
    if (FAt >= FData.size()) {
        Token.Type = TTokenType::End;
        return;
    }
    const uint8_t c = FData[FAt];
    switch (c) {
        case '(':
            ++FAt;
            if (FKeepStrings) ReadLiteralString(Token);
            else PassLiteralString(Token);
            return;
        case '/': ++FAt; ReadName(Token); return;
        case '[': ++FAt; Token.Type = TTokenType::ArrayOpen; return;
        case ']': ++FAt; Token.Type = TTokenType::ArrayClose; return;
        case '{': ++FAt; Token.Type = TTokenType::BraceOpen; return;
        case '}': ++FAt; Token.Type = TTokenType::BraceClose; return;
        case '<':
            if (Peek(1) == '<') {
                FAt += 2;
                Token.Type = TTokenType::DictOpen;
            } else {
                ++FAt;
                ReadHexString(Token);
            }
            return;
        case '>':
            if (Peek(1) == '>') {
                FAt += 2;
                Token.Type = TTokenType::DictClose;
            } else {
                // At the data's end it may be the first half of ">>".
                Token.Truncated = Peek(1) < 0;
                ++FAt;
                Token.Type = TTokenType::Bad;
                Token.Text = "unexpected '>'";
            }
            return;
        case ')':
            ++FAt;
            Token.Type = TTokenType::Bad;
            Token.Text = "unexpected ')'";
            return;
        default: ReadRegular(Token); return;
    }
}

void TTokenizer::ReadRegular(TSyntaxToken& Token) {
    const uint8_t* data = FData.data();
    const size_t size = FData.size();
    const size_t start = FAt;
    size_t at = start;
    // Most numbers are a few plain digits: read while they are scanned.
    uint64_t magnitude = 0;
    for (; at < size && at - start < 18 && IsDigit(data[at]); ++at) magnitude = magnitude * 10 + (data[at] - '0');
    if (at > start && (at == size || !IsIsoRegular(data[at]))) {
        FAt = at;
        Token.Truncated = at == size;
        Token.Type = TTokenType::Integer;
        Token.Integer = static_cast<int64_t>(magnitude);
        Token.Real = static_cast<double>(magnitude);
        return;
    }
    while (at < size && IsIsoRegular(data[at])) ++at;
    FAt = at;
    const std::string_view run(reinterpret_cast<const char*>(data) + start, at - start);
    // A run that reaches the data's end may go on past it ("stre|am").
    Token.Truncated = at == size;
    // A number starts with a digit, a sign or a period; anything else is a
    // keyword (an operator, in a content stream).
    const char first = run[0];
    if ((IsDigit(static_cast<uint8_t>(first)) || first == '+' || first == '-' || first == '.') && ReadNumber(run, Token))
        return;
    Token.Type = TTokenType::Keyword;
    Token.Text.assign(run);
}

void TTokenizer::ReadName(TSyntaxToken& Token) {
    Token.Type = TTokenType::Name;
    const uint8_t* data = FData.data();
    const size_t size = FData.size();
    // Runs without "#" are taken whole.
    const size_t start = FAt;
    size_t at = start;
    while (at < size && IsIsoRegular(data[at]) && data[at] != '#') ++at;
    Token.Text.assign(reinterpret_cast<const char*>(data) + start, at - start);
    FAt = at;
    while (FAt < size && IsIsoRegular(data[FAt])) {
        const uint8_t c = data[FAt++];
        if (c == '#') {
            const int high = HexValue(Peek()), low = HexValue(Peek(1));
            if (high >= 0 && low >= 0) {
                Token.Text += static_cast<char>(high << 4 | low);
                FAt += 2;
                continue;
            }
            // A "#" not followed by two hexadecimal digits stands for itself.
        }
        Token.Text += static_cast<char>(c);
    }
    Token.Truncated = FAt == size;
}

void TTokenizer::ReadLiteralString(TSyntaxToken& Token) {
    Token.Type = TTokenType::String;
    int depth = 0;
    while (FAt < FData.size()) {
        // A run of bytes that stand for themselves is taken whole: content
        // streams are mostly text.
        size_t run = FAt;
        while (run < FData.size() && !IsStringSpecial(FData[run])) ++run;
        if (run > FAt) {
            Token.Text.append(reinterpret_cast<const char*>(FData.data()) + FAt, run - FAt);
            FAt = run;
            continue;
        }
        const uint8_t c = FData[FAt++];
        if (c == '(') {
            ++depth;
        } else if (c == ')') {
            if (depth-- == 0) return;
        } else if (c == '\r') {
            // An end of line inside a string is one LF, whatever its form.
            if (Peek() == '\n') ++FAt;
            Token.Text += '\n';
            continue;
        } else if (c == '\\') {
            if (FAt >= FData.size()) break;
            const uint8_t e = FData[FAt++];
            switch (e) {
                case 'n': Token.Text += '\n'; continue;
                case 'r': Token.Text += '\r'; continue;
                case 't': Token.Text += '\t'; continue;
                case 'b': Token.Text += '\b'; continue;
                case 'f': Token.Text += '\f'; continue;
                case '\r':
                    if (Peek() == '\n') ++FAt;
                    continue;
                case '\n': continue;
                default: break;
            }
            if (e >= '0' && e <= '7') {
                int code = e - '0';
                for (int i = 0; i < 2 && Peek() >= '0' && Peek() <= '7'; ++i) code = code * 8 + (FData[FAt++] - '0');
                Token.Text += static_cast<char>(code & 0xFF);
            } else {
                // An unknown escape stands for the character itself.
                Token.Text += static_cast<char>(e);
            }
            continue;
        }
        Token.Text += static_cast<char>(c);
    }
    Token.Type = TTokenType::Bad;
    Token.Truncated = true;
    Token.Text = "unterminated string";
}

void TTokenizer::PassLiteralString(TSyntaxToken& Token) {
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
    Token.Truncated = true;
    Token.Text = "unterminated string";
}

void TTokenizer::ReadHexString(TSyntaxToken& Token) {
    Token.Type = TTokenType::HexString;
    int high = -1;
    while (FAt < FData.size()) {
        const uint8_t c = FData[FAt++];
        if (c == '>') {
            // An odd digit count ends as if a 0 followed.
            if (high >= 0 && FKeepStrings) Token.Text += static_cast<char>(high << 4);
            return;
        }
        if (IsIsoWhiteSpace(c)) continue;
        const int digit = HexValue(c);
        if (digit < 0) {
            // Pass over the rest of the string so that reading goes on after it.
            while (FAt < FData.size() && FData[FAt] != '>') ++FAt;
            if (FAt < FData.size()) ++FAt;
            Token.Type = TTokenType::Bad;
            Token.Text = "bad hexadecimal string";
            return;
        }
        if (high < 0) {
            high = digit;
        } else {
            if (FKeepStrings) Token.Text += static_cast<char>(high << 4 | digit);
            high = -1;
        }
    }
    Token.Type = TTokenType::Bad;
    Token.Truncated = true;
    Token.Text = "unterminated hexadecimal string";
}

std::string NormalName(std::string_view Decoded) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string name = "/";
    name.reserve(Decoded.size() + 1);
    for (const char ch : Decoded) {
        const auto c = static_cast<uint8_t>(ch);
        if (c < 0x21 || c > 0x7E || c == '#' || IsIsoDelimiter(c)) {
            name += '#';
            name += Digits[c >> 4];
            name += Digits[c & 15];
        } else {
            name += ch;
        }
    }
    return name;
}

}  // namespace lumerra
