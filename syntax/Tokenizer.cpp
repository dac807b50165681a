#include "syntax/Tokenizer.h"

#include <charconv>
#include <cmath>
#include <iterator>

namespace lumerra {

namespace {


bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }

// The bytes a literal string treats apart from the others.
bool IsStringSpecial(uint8_t c) { return c == '\\' || c == '\r'; }

// A literal string's bytes between its parentheses (the scanner found where
// it ends), escapes resolved and every end of line made one LF.
void ReadStringBytes(std::string_view Inside, std::string& Out) {
    Out.reserve(Inside.size());
    for (size_t at = 0; at < Inside.size();) {
        // A run of bytes that stand for themselves is taken whole: content
        // streams are mostly text.
        size_t run = at;
        while (run < Inside.size() && !IsStringSpecial(static_cast<uint8_t>(Inside[run]))) ++run;
        Out.append(Inside.substr(at, run - at));
        if ((at = run) == Inside.size()) break;
        if (Inside[at++] == '\r') {
            if (at < Inside.size() && Inside[at] == '\n') ++at;
            Out += '\n';
            continue;
        }
        // A backslash: the scanner has seen that a byte follows it.
        const char e = Inside[at++];
        switch (e) {
            case 'n': Out += '\n'; continue;
            case 'r': Out += '\r'; continue;
            case 't': Out += '\t'; continue;
            case 'b': Out += '\b'; continue;
            case 'f': Out += '\f'; continue;
            case '\r':
                if (at < Inside.size() && Inside[at] == '\n') ++at;
                continue;
            case '\n': continue;
            default: break;
        }
        if (e >= '0' && e <= '7') {
            int code = e - '0';
            for (int i = 0; i < 2 && at < Inside.size() && Inside[at] >= '0' && Inside[at] <= '7'; ++i)
                code = code * 8 + (Inside[at++] - '0');
            Out += static_cast<char>(code & 0xFF);
        } else {
            // An unknown escape stands for the character itself.
            Out += e;
        }
    }
}

// A hexadecimal string's digits (the scanner checked them), two to a byte;
// an odd count ends as if a 0 followed.
void ReadHexBytes(std::string_view Inside, std::string& Out) {
    int high = -1;
    for (const char c : Inside) {
        const int digit = HexDigitValue(static_cast<uint8_t>(c));
        if (digit < 0) continue;  // white space
        if (high < 0) {
            high = digit;
        } else {
            Out += static_cast<char>(high << 4 | digit);
            high = -1;
        }
    }
    if (high >= 0) Out += static_cast<char>(high << 4);
}

const char* FaultText(TScanFault Fault) {
    switch (Fault) {
        case TScanFault::UnterminatedString: return "unterminated string";
        case TScanFault::UnterminatedHexString: return "unterminated hexadecimal string";
        case TScanFault::BadHexString: return "bad hexadecimal string";
        case TScanFault::UnexpectedParenthesis: return "unexpected ')'";
        case TScanFault::UnexpectedAngle: return "unexpected '>'";
        case TScanFault::None: break;
    }
    return "";
}

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

TTokenizer::TReferenceTail TTokenizer::ReadReferenceTail(int64_t& Generation) {
    const std::span<const uint8_t> data = FScanner.Data();
    const size_t mark = FScanner.Position();
    const auto answer = [&](TReferenceTail Answer) {
        if (Answer != TReferenceTail::Yes) FScanner.SetPosition(mark);
        return Answer;
    };
    SkipWhiteSpace();
    const size_t digits = FScanner.Position();
    size_t at = digits;
    int64_t generation = 0;
    for (; at < data.size() && IsDigit(data[at]); ++at)
        if (generation <= INT32_MAX) generation = generation * 10 + (data[at] - '0');
    if (at == data.size()) return answer(TReferenceTail::Unknown);
    if (at == digits || IsIsoRegular(data[at])) return answer(TReferenceTail::No);
    FScanner.SetPosition(at);
    SkipWhiteSpace();
    at = FScanner.Position();
    if (at == data.size()) return answer(TReferenceTail::Unknown);
    if (data[at] != 'R') return answer(TReferenceTail::No);
    if (at + 1 < data.size() && IsIsoRegular(data[at + 1])) return answer(TReferenceTail::No);
    FScanner.SetPosition(at + 1);
    Generation = generation;
    return TReferenceTail::Yes;
}

void TTokenizer::Next(TSyntaxToken& Token) {
    TScanToken scanned;
    FScanner.Next(scanned);
    const std::span<const uint8_t> data = FScanner.Data();
    const size_t end = FScanner.Position();
    Token.Type = scanned.Type;
    Token.Offset = FBase + static_cast<int64_t>(scanned.Offset);
    Token.Text.clear();
    Token.Integer = 0;
    Token.Real = 0;
    // A run that reaches the data's end may go on past it ("stre|am").
    Token.Truncated = end == data.size();
    // The bytes between a string's delimiters.
    const auto inside = [&] {
        return std::string_view(reinterpret_cast<const char*>(data.data()) + scanned.Offset + 1, end - scanned.Offset - 2);
    };
    switch (scanned.Type) {
        case TTokenType::Integer:
        case TTokenType::Real: {
            const std::string_view run(reinterpret_cast<const char*>(data.data()) + scanned.Offset, end - scanned.Offset);
            // Most numbers of objects are a few plain digits.
            if (scanned.Type == TTokenType::Integer && run.size() <= 18 && IsDigit(static_cast<uint8_t>(run[0]))) {
                for (const char c : run) Token.Integer = Token.Integer * 10 + (c - '0');
                Token.Real = static_cast<double>(Token.Integer);
                return;
            }
            if (!ReadNumber(run, Token)) {
                Token.Type = TTokenType::Keyword;
                Token.Text.assign(run);
            }
            return;
        }
        case TTokenType::Keyword: Token.Text.assign(scanned.Bytes); return;
        case TTokenType::Name:
            if (scanned.Escaped) TScanner::DecodeName(scanned.Bytes, Token.Text);
            else Token.Text.assign(scanned.Bytes);
            return;
        case TTokenType::String:
            Token.Truncated = false;
            if (FKeepStrings) ReadStringBytes(inside(), Token.Text);
            return;
        case TTokenType::HexString:
            Token.Truncated = false;
            if (FKeepStrings) ReadHexBytes(inside(), Token.Text);
            return;
        case TTokenType::Bad:
            Token.Text = FaultText(scanned.Fault);
            // An unterminated string, or a ">" that may be the first half of
            // ">>", might end in the bytes that follow the span.
            Token.Truncated = scanned.Fault == TScanFault::UnterminatedString ||
                              scanned.Fault == TScanFault::UnterminatedHexString ||
                              (scanned.Fault == TScanFault::UnexpectedAngle && end == data.size());
            return;
        default: Token.Truncated = false; return;
    }
}

std::string NormalName(std::string_view Decoded) {
    std::string name = "/";
    name.reserve(Decoded.size() + 1);
    for (const char ch : Decoded) {
        const auto c = static_cast<uint8_t>(ch);
        if (c < 0x21 || c > 0x7E || c == '#' || IsIsoDelimiter(c)) {
            name += '#';
            name += UpperHexDigits[c >> 4];
            name += UpperHexDigits[c & 15];
        } else {
            name += ch;
        }
    }
    return name;
}

}  // namespace lumerra
