#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>

#include "pdf/PDFLexer.h"
#include "syntax/CharClass.h"

using namespace lumerra;

// Every byte against the sets written out by hand: ISO's for extended
// reading, and the default reading's narrower ones, which read NUL, HT, FF
// and braces as parts of tokens; and the hexadecimal digits.
TEST(CharacterClasses, EveryByteInBothReadings) {
    struct TReading {
        std::string_view White, Delimiters;
        bool (*IsWhite)(uint8_t);
        bool (*IsDelimiter)(uint8_t);
    };
    const TReading readings[] = {
        {std::string_view("\0\t\n\f\r ", 6), "()<>[]{}/%", [](uint8_t c) { return IsIsoWhiteSpace(c); },
         [](uint8_t c) { return IsIsoDelimiter(c); }},
        {"\n\r ", "%()/<>[]", [](uint8_t c) { return IsDefaultReadingWhiteSpace(c); },
         [](uint8_t c) { return IsDefaultReadingDelimiter(c); }},
    };
    constexpr size_t none = std::string_view::npos;
    constexpr std::string_view lower = "0123456789abcdef";
    for (int c = 0; c < 256; ++c) {
        const auto byte = static_cast<uint8_t>(c);
        const char ch = static_cast<char>(c);
        for (const TReading& r : readings) {
            EXPECT_EQ(r.IsWhite(byte), r.White.find(ch) != none) << r.Delimiters << ' ' << c;
            EXPECT_EQ(r.IsDelimiter(byte), r.Delimiters.find(ch) != none) << r.Delimiters << ' ' << c;
        }
        EXPECT_EQ(IsIsoRegular(byte), !IsIsoWhiteSpace(byte) && !IsIsoDelimiter(byte)) << c;
        const size_t digit = std::min(UpperHexDigits.find(ch), lower.find(ch));
        EXPECT_EQ(HexDigitValue(byte), digit == none ? -1 : static_cast<int>(digit)) << c;
    }
    EXPECT_EQ(UpperHexDigits, "0123456789ABCDEF");
}
