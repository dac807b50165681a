#include "pdf/DocInfo.h"

#include <cstdint>
#include <optional>

#include "pdf/PDFAnalyst.h"
#include "syntax/CharClass.h"

namespace lumerra {

namespace {

// Reads bytes while keeping count of the span.
class TBoundedReader {
public:
    explicit TBoundedReader(TStream& S) : FStream(S) {}
    std::optional<uint8_t> Next() {
        uint8_t byte = 0;
        if (FSpan >= MaximumInfoStringSpan || !FStream.ReadByte(byte)) return std::nullopt;
        ++FSpan;
        return byte;
    }
    // Puts the last byte back.
    void Unread() {
        FStream.Seek(-1, TSeekOrigin::soCurrent);
        --FSpan;
    }

private:
    TStream& FStream;
    size_t FSpan = 0;
};

void Keep(std::string& Bytes, char C) {
    if (Bytes.size() < MaximumInfoString) Bytes += C;
}

constexpr uint32_t Replacement = 0xFFFD;

// PDFDocEncoding where it differs from Latin-1: 0x18-0x1F, 0x7F-0xA0.
uint32_t PdfDocChar(uint8_t B) {
    static constexpr uint16_t Low[8] = {0x02D8, 0x02C7, 0x02C6, 0x02D9, 0x02DD, 0x02DB, 0x02DA, 0x02DC};
    static constexpr uint16_t High[34] = {
        Replacement, 0x2022, 0x2020, 0x2021, 0x2026, 0x2014, 0x2013, 0x0192, 0x2044, 0x2039, 0x203A, 0x2212,
        0x2030,      0x201E, 0x201C, 0x201D, 0x2018, 0x2019, 0x201A, 0x2122, 0xFB01, 0xFB02, 0x0141, 0x0152,
        0x0160,      0x0178, 0x017D, 0x0131, 0x0142, 0x0153, 0x0161, 0x017E, Replacement, 0x20AC};
    if (B >= 0x18 && B <= 0x1F) return Low[B - 0x18];
    if (B >= 0x7F && B <= 0xA0) return High[B - 0x7F];
    return B;
}

std::string Utf16ToUtf8(const std::string& Bytes) {
    std::string text;
    bool inLanguageMark = false;
    for (size_t i = 2; i < Bytes.size(); i += 2) {
        if (i + 1 >= Bytes.size()) {
            AppendUtf8(text, Replacement);
            break;
        }
        uint32_t c = static_cast<uint8_t>(Bytes[i]) << 8 | static_cast<uint8_t>(Bytes[i + 1]);
        // ESC, a language code, ESC: not part of the text.
        if (c == 0x1B) {
            inLanguageMark = !inLanguageMark;
            continue;
        }
        if (inLanguageMark) continue;
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < Bytes.size()) {
            const uint32_t low = static_cast<uint8_t>(Bytes[i + 2]) << 8 | static_cast<uint8_t>(Bytes[i + 3]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        AppendUtf8(text, c >= 0xD800 && c <= 0xDFFF ? Replacement : c);
    }
    return text;
}

// Passes valid UTF-8 through; each byte of an invalid sequence becomes U+FFFD.
std::string CheckedUtf8(const std::string& Bytes) {
    std::string text;
    for (size_t i = 3; i < Bytes.size();) {
        const uint8_t lead = static_cast<uint8_t>(Bytes[i]);
        const size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                                             : lead >= 0xF0 && lead <= 0xF4                              ? 4
                                                                                                          : 0;
        bool valid = length > 0 && i + length <= Bytes.size();
        uint32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (size_t k = 1; valid && k < length; ++k) {
            const uint8_t next = static_cast<uint8_t>(Bytes[i + k]);
            valid = (next & 0xC0) == 0x80;
            c = c << 6 | (next & 0x3F);
        }
        static constexpr uint32_t Least[5] = {0, 0, 0x80, 0x800, 0x10000};
        valid = valid && c >= Least[length] && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
        if (!valid) {
            AppendUtf8(text, Replacement);
            ++i;
            continue;
        }
        text.append(Bytes, i, length);
        i += length;
    }
    return text;
}

}  // namespace

bool ReadLiteralString(TStream& S, std::string& Bytes) {
    TBoundedReader in(S);
    int depth = 1;
    while (const std::optional<uint8_t> next = in.Next()) {
        uint8_t c = *next;
        if (c == '(') {
            ++depth;
        } else if (c == ')') {
            if (--depth == 0) return true;
        } else if (c == '\r') {
            // CR and CR LF stand for LF.
            if (const std::optional<uint8_t> after = in.Next(); after && *after != '\n') in.Unread();
            c = '\n';
        } else if (c == '\\') {
            const std::optional<uint8_t> escaped = in.Next();
            if (!escaped) break;
            c = *escaped;
            switch (c) {
                case 'n': c = '\n'; break;
                case 'r': c = '\r'; break;
                case 't': c = '\t'; break;
                case 'b': c = '\b'; break;
                case 'f': c = '\f'; break;
                case '\r':  // a line continued: nothing
                    if (const std::optional<uint8_t> after = in.Next(); after && *after != '\n') in.Unread();
                    continue;
                case '\n': continue;
                default:
                    if (c >= '0' && c <= '7') {
                        // Up to three octal digits; overflow beyond a byte is dropped.
                        unsigned value = c - '0';
                        for (int k = 0; k < 2; ++k) {
                            const std::optional<uint8_t> digit = in.Next();
                            if (!digit) break;
                            if (*digit < '0' || *digit > '7') {
                                in.Unread();
                                break;
                            }
                            value = value * 8 + (*digit - '0');
                        }
                        c = static_cast<uint8_t>(value & 0xFF);
                    }
                    // Any other byte stands for itself: "\(", "\)", "\\", and
                    // a backslash before a byte with no meaning is dropped.
                    break;
            }
        }
        Keep(Bytes, static_cast<char>(c));
    }
    return false;
}

bool ReadHexString(TStream& S, std::string& Bytes) {
    TBoundedReader in(S);
    int high = -1;
    while (const std::optional<uint8_t> next = in.Next()) {
        const uint8_t c = *next;
        if (c == '>') {
            if (high >= 0) Keep(Bytes, static_cast<char>(high << 4));
            return true;
        }
        const int digit = HexDigitValue(c);
        if (digit < 0) continue;
        if (high < 0) {
            high = digit;
        } else {
            Keep(Bytes, static_cast<char>(high << 4 | digit));
            high = -1;
        }
    }
    return false;
}

std::string TextStringToUtf8(const std::string& Bytes) {
    if (Bytes.size() >= 2 && Bytes[0] == '\xFE' && Bytes[1] == '\xFF') return Utf16ToUtf8(Bytes);
    if (Bytes.size() >= 3 && Bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return CheckedUtf8(Bytes);
    std::string text;
    for (const char c : Bytes) AppendUtf8(text, PdfDocChar(static_cast<uint8_t>(c)));
    return text;
}

TInfoEntries ReadDocInfo(TPDFAnalyst& Analyst) {
    if (Analyst.Stream() == nullptr || !Analyst.HasObject(Analyst.InfoID())) return {};
    return Analyst.ReadInfoEntries();
}

}  // namespace lumerra
