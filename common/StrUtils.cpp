#include "common/StrUtils.h"

#include <algorithm>
#include <cctype>

namespace lumerra {

int32_t StrToIntDef(std::string_view text, int32_t Default) {
    if (text.empty()) return Default;
    const bool negative = text.front() == '-';
    if (text.front() == '+' || negative) text.remove_prefix(1);
    if (text.empty() || text.size() > 64) return Default;
    int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return Default;
        value = value * 10 + (c - '0');
        if (value > int64_t{INT32_MAX} + 1) return Default;
    }
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return Default;
    return static_cast<int32_t>(value);
}

std::string ExtractFileName(std::string_view path) {
    const auto slash = path.find_last_of('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ExtractFileExt(std::string_view path) {
    const std::string name = ExtractFileName(path);
    const auto dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
    const std::string oldExt = ExtractFileExt(path);
    std::string result(path.substr(0, path.size() - oldExt.size()));
    result += ext;
    return result;
}

bool SameText(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

std::string FormatThousands(int64_t value) {
    const bool negative = value < 0;
    const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    const std::string digits = std::to_string(magnitude);
    std::string result;
    result.reserve(digits.size() + digits.size() / 3 + 1);
    if (negative) result += '-';
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) result += ',';
        result += digits[i];
    }
    return result;
}

void AppendUtf8(std::string& Out, uint32_t CodePoint) {
    if (CodePoint < 0x80) {
        Out += static_cast<char>(CodePoint);
    } else if (CodePoint < 0x800) {
        Out += static_cast<char>(0xC0 | CodePoint >> 6);
        Out += static_cast<char>(0x80 | (CodePoint & 0x3F));
    } else if (CodePoint < 0x10000) {
        Out += static_cast<char>(0xE0 | CodePoint >> 12);
        Out += static_cast<char>(0x80 | (CodePoint >> 6 & 0x3F));
        Out += static_cast<char>(0x80 | (CodePoint & 0x3F));
    } else {
        Out += static_cast<char>(0xF0 | CodePoint >> 18);
        Out += static_cast<char>(0x80 | (CodePoint >> 12 & 0x3F));
        Out += static_cast<char>(0x80 | (CodePoint >> 6 & 0x3F));
        Out += static_cast<char>(0x80 | (CodePoint & 0x3F));
    }
}

}  // namespace lumerra
