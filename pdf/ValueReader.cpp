#include "pdf/ValueReader.h"

#include <charconv>

namespace lumerra {

namespace {

constexpr int MaximumDepth = 16;
constexpr int MaximumItems = 4096;

bool IsWhite(uint8_t c) { return c == 0 || c == 9 || c == 10 || c == 12 || c == 13 || c == 32; }
bool IsDelimiter(uint8_t c) {
    return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' || c == '}' || c == '/' ||
           c == '%';
}
int HexDigit(uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads from a window; every read is checked against its end, so a failure
// is an empty optional and never a read past it.
class TValueReader {
public:
    explicit TValueReader(std::span<const uint8_t> Data) : FData(Data) {}

    std::optional<TPdfValue> Value(int Depth) {
        if (Depth > MaximumDepth || ++FItems > MaximumItems) return std::nullopt;
        SkipWhite();
        const auto c = Peek();
        if (!c) return std::nullopt;
        TPdfValue value;
        if (*c == '/') {
            value.Kind = TPdfValue::TKind::Name;
            value.Text = "/" + Regular(1);
        } else if (*c == '(') {
            ++FAt;
            value.Kind = TPdfValue::TKind::String;
            if (!Literal(value.Text)) return std::nullopt;
        } else if (*c == '<' && Peek(1) == '<') {
            FAt += 2;
            value.Kind = TPdfValue::TKind::Dictionary;
            for (;;) {
                SkipWhite();
                if (Peek() == '>' && Peek(1) == '>') {
                    FAt += 2;
                    break;
                }
                if (Peek() != '/') return std::nullopt;
                std::string key = "/" + Regular(1);
                auto item = Value(Depth + 1);
                if (!item) return std::nullopt;
                value.Entries.push_back({std::move(key), std::move(*item)});
            }
        } else if (*c == '<') {
            ++FAt;
            value.Kind = TPdfValue::TKind::String;
            if (!Hex(value.Text)) return std::nullopt;
        } else if (*c == '[') {
            ++FAt;
            value.Kind = TPdfValue::TKind::Array;
            for (;;) {
                SkipWhite();
                if (Peek() == ']') {
                    ++FAt;
                    break;
                }
                auto item = Value(Depth + 1);
                if (!item) return std::nullopt;
                value.Items.push_back(std::move(*item));
            }
        } else if (IsDelimiter(*c)) {
            return std::nullopt;
        } else {
            const std::string word = Regular(0);
            if (word == "true" || word == "false") {
                value.Kind = TPdfValue::TKind::Boolean;
                value.Boolean = word == "true";
            } else if (word == "null") {
                value.Kind = TPdfValue::TKind::Null;
            } else if (!Number(word, value)) {
                return std::nullopt;
            } else if (const size_t mark = FAt; Integer(value)) {
                // "n g R" is a reference; otherwise the number stands alone.
                SkipWhite();
                const std::string generation = Regular(0);
                SkipWhite();
                int64_t g = 0;
                if (IsInteger(generation, g) && Peek() == 'R' &&
                    (FAt + 1 >= FData.size() || IsWhite(FData[FAt + 1]) || IsDelimiter(FData[FAt + 1]))) {
                    ++FAt;
                    value.Kind = TPdfValue::TKind::Reference;
                } else {
                    FAt = mark;
                }
            }
        }
        return value;
    }

    // "n g obj": true with g when the window starts with it.
    bool Header(int32_t& Generation) {
        SkipWhite();
        int64_t number = 0, generation = 0;
        if (!IsInteger(Regular(0), number)) return false;
        SkipWhite();
        if (!IsInteger(Regular(0), generation) || generation < 0 || generation > 65535) return false;
        SkipWhite();
        if (Regular(0) != "obj") return false;
        Generation = static_cast<int32_t>(generation);
        return true;
    }

private:
    std::optional<uint8_t> Peek(size_t Ahead = 0) const {
        return FAt + Ahead < FData.size() ? std::optional<uint8_t>(FData[FAt + Ahead]) : std::nullopt;
    }
    void SkipWhite() {
        while (FAt < FData.size()) {
            if (FData[FAt] == '%') {
                while (FAt < FData.size() && FData[FAt] != '\n' && FData[FAt] != '\r') ++FAt;
            } else if (IsWhite(FData[FAt])) {
                ++FAt;
            } else {
                return;
            }
        }
    }
    // A run of regular bytes after Skip bytes.
    std::string Regular(size_t Skip) {
        FAt = std::min(FAt + Skip, FData.size());
        const size_t start = FAt;
        while (FAt < FData.size() && !IsWhite(FData[FAt]) && !IsDelimiter(FData[FAt])) ++FAt;
        return std::string(FData.begin() + static_cast<std::ptrdiff_t>(start),
                           FData.begin() + static_cast<std::ptrdiff_t>(FAt));
    }
    static bool IsInteger(const std::string& Text, int64_t& Value) {
        const auto [end, error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
        return !Text.empty() && error == std::errc() && end == Text.data() + Text.size();
    }
    static bool Number(const std::string& Text, TPdfValue& Value) {
        if (Text.empty() || Text.find_first_not_of("+-.0123456789") != std::string::npos) return false;
        Value.Kind = TPdfValue::TKind::Number;
        Value.Text = Text;
        const char* first = Text.data() + (Text[0] == '+' ? 1 : 0);
        std::from_chars(first, Text.data() + Text.size(), Value.Number);
        return true;
    }
    static bool Integer(const TPdfValue& Value) {
        int64_t n = 0;
        return IsInteger(Value.Text, n) && n >= 0;
    }
    bool Literal(std::string& Out) {
        int nesting = 0;
        while (FAt < FData.size()) {
            const uint8_t c = FData[FAt++];
            if (c == '(') {
                ++nesting;
            } else if (c == ')') {
                if (nesting-- == 0) return true;
            } else if (c == '\\') {
                if (FAt >= FData.size()) return false;
                const uint8_t e = FData[FAt++];
                switch (e) {
                    case 'n': Out += '\n'; continue;
                    case 'r': Out += '\r'; continue;
                    case 't': Out += '\t'; continue;
                    case 'b': Out += '\b'; continue;
                    case 'f': Out += '\f'; continue;
                    case '\r':
                        if (Peek() == '\n') ++FAt;
                        continue;
                    case '\n': continue;
                    default: break;
                }
                if (e >= '0' && e <= '7') {
                    int code = e - '0';
                    for (int i = 0; i < 2 && Peek() && *Peek() >= '0' && *Peek() <= '7'; ++i)
                        code = code * 8 + (FData[FAt++] - '0');
                    Out += static_cast<char>(code & 0xFF);
                } else {
                    Out += static_cast<char>(e);
                }
                continue;
            }
            Out += static_cast<char>(c);
        }
        return false;
    }
    bool Hex(std::string& Out) {
        int high = -1;
        while (FAt < FData.size()) {
            const uint8_t c = FData[FAt++];
            if (c == '>') {
                if (high >= 0) Out += static_cast<char>(high << 4);
                return true;
            }
            if (IsWhite(c)) continue;
            const int digit = HexDigit(c);
            if (digit < 0) return false;
            if (high < 0) {
                high = digit;
            } else {
                Out += static_cast<char>(high << 4 | digit);
                high = -1;
            }
        }
        return false;
    }

    std::span<const uint8_t> FData;
    size_t FAt = 0;
    int FItems = 0;
};

}  // namespace

const TPdfValue* TPdfValue::Find(const std::string& Key) const {
    for (const auto& [key, value] : Entries)
        if (key == Key) return &value;
    return nullptr;
}

std::optional<TPdfValue> ReadPdfValue(std::span<const uint8_t> Data) { return TValueReader(Data).Value(0); }

bool ReadObjectHeader(std::span<const uint8_t> Data, int32_t& Generation) {
    return TValueReader(Data).Header(Generation);
}

std::optional<TPdfValue> ReadIndirectValue(std::span<const uint8_t> Data, int32_t& Generation) {
    TValueReader reader(Data);
    if (!reader.Header(Generation)) return std::nullopt;
    return reader.Value(0);
}

}  // namespace lumerra
