#include "syntax/ValueWriter.h"

#include <cstdint>
#include <algorithm>
#include <cstdio>

#include "syntax/CharClass.h"
#include "syntax/Scanner.h"

namespace lumerra {

namespace {

void AppendHex(std::string& Text, uint8_t Byte) {
    Text += UpperHexDigits[Byte >> 4];
    Text += UpperHexDigits[Byte & 15];
}

// A real without exponent or trailing zeros, to six decimals and at most
// the 15 significant digits a double holds, so that it reads back as written.
std::string WrittenReal(double Real) {
    int whole = 1;
    for (double magnitude = Real < 0 ? -Real : Real; magnitude >= 10 && whole < 400; magnitude /= 10) ++whole;
    const int decimals = whole >= 15 ? 0 : std::min(6, 15 - whole);
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, Real);
    std::string text = buffer;
    if (decimals > 0) {
        while (!text.empty() && text.back() == '0') text.pop_back();
        if (!text.empty() && text.back() == '.') text.pop_back();
    }
    if (text == "-0") text = "0";
    return text;
}

// A dictionary or array stays on one line while it is this short and holds
// no dictionary.
constexpr size_t InlineWidth = 72;

void Write(const TValue& Value, int Indent, std::string& Out);

// Appends Value in its one-line form while Line stays within InlineWidth and
// meets no dictionary; false as soon as either fails. Giving up early keeps
// the try cheap, so nested arrays cost linear time, not a second writing per
// level.
bool AppendInline(const TValue& Value, std::string& Line) {
    switch (Value.Kind()) {
        case TValue::TKind::Dictionary:
        case TValue::TKind::Stream: return false;
        case TValue::TKind::String:
        case TValue::TKind::Name:
            // The written form is never shorter than the bytes.
            if (Line.size() + Value.Text().size() > InlineWidth) return false;
            break;
        case TValue::TKind::Array:
            Line += '[';
            for (size_t i = 0; i < Value.Items().size(); ++i) {
                if (i > 0) Line += ' ';
                if (!AppendInline(Value.Items()[i], Line)) return false;
            }
            Line += ']';
            return Line.size() <= InlineWidth;
        default: break;
    }
    Write(Value, 0, Line);
    return Line.size() <= InlineWidth;
}

void Write(const TValue& Value, int Indent, std::string& Out) {
    const std::string margin(static_cast<size_t>(Indent) * 2, ' ');
    switch (Value.Kind()) {
        case TValue::TKind::Null: Out += "null"; return;
        case TValue::TKind::Boolean: Out += Value.AsBoolean() ? "true" : "false"; return;
        case TValue::TKind::Integer: Out += std::to_string(Value.AsInteger()); return;
        case TValue::TKind::Real: Out += WrittenReal(Value.AsReal()); return;
        case TValue::TKind::String: Out += WrittenString(Value.Text()); return;
        case TValue::TKind::Name: Out += WrittenName(Value.Text()); return;
        case TValue::TKind::Reference:
            Out += std::to_string(Value.AsReference().Number) + ' ' + std::to_string(Value.AsReference().Generation) +
                   " R";
            return;
        case TValue::TKind::Array: {
            if (std::string line; AppendInline(Value, line)) {
                Out += line;
                return;
            }
            Out += "[\n";
            for (const TValue& item : Value.Items()) {
                Out += margin + "  ";
                Write(item, Indent + 1, Out);
                Out += '\n';
            }
            Out += margin + ']';
            return;
        }
        case TValue::TKind::Dictionary:
        case TValue::TKind::Stream:
            if (Value.Entries().empty()) {
                Out += "<< >>";
                return;
            }
            Out += "<<\n";
            for (const auto& [key, item] : Value.Entries()) {
                Out += margin + "  " + WrittenName(key) + ' ';
                Write(item, Indent + 1, Out);
                Out += '\n';
            }
            Out += margin + ">>";
            return;
    }
}

}  // namespace

std::string WrittenName(std::string_view Decoded) {
    std::string text = "/";
    for (const char c : Decoded) {
        const auto byte = static_cast<uint8_t>(c);
        if (byte < 0x21 || byte > 0x7E || byte == '#' || IsIsoDelimiter(byte)) {
            text += '#';
            AppendHex(text, byte);
        } else {
            text += c;
        }
    }
    return text;
}

bool IsPlainText(std::string_view Bytes) {
    for (const char c : Bytes) {
        const auto byte = static_cast<uint8_t>(c);
        if ((byte < 0x20 || byte > 0x7E) && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\b' &&
            byte != '\f')
            return false;
    }
    return true;
}

std::string WrittenString(std::string_view Bytes) {
    std::string text;
    if (!IsPlainText(Bytes)) {
        text = "<";
        for (const char c : Bytes) AppendHex(text, static_cast<uint8_t>(c));
        return text + '>';
    }
    text = "(";
    for (const char c : Bytes) {
        switch (c) {
            case '\n': text += "\\n"; break;
            case '\r': text += "\\r"; break;
            case '\t': text += "\\t"; break;
            case '\b': text += "\\b"; break;
            case '\f': text += "\\f"; break;
            case '(': text += "\\("; break;
            case ')': text += "\\)"; break;
            case '\\': text += "\\\\"; break;
            default: text += c;
        }
    }
    return text + ')';
}

std::string WrittenValue(const TValue& Value, int Indent) {
    std::string text;
    Write(Value, Indent, text);
    return text;
}

}  // namespace lumerra
