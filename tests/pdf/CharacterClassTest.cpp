#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "pdf/PDFLexer.h"
#include "syntax/CharClass.h"

using namespace lumerra;

// Every byte against the sets written out by hand: ISO's for extended
// reading, and the default reading's narrower ones, which read NUL, HT, FF
// and braces as parts of tokens.
TEST(CharacterClasses, EveryByteInBothReadings) {
    struct TReading {
        const char* Name;
        std::string_view White;
        std::string_view Delimiters;
        bool (*IsWhite)(uint8_t);
        bool (*IsDelimiter)(uint8_t);
    };
    const TReading readings[] = {
        {"ISO", std::string_view("\0\t\n\f\r ", 6), "()<>[]{}/%", [](uint8_t c) { return IsIsoWhiteSpace(c); },
         [](uint8_t c) { return IsIsoDelimiter(c); }},
        {"default reading", "\n\r ", "%()/<>[]", [](uint8_t c) { return IsDefaultReadingWhiteSpace(c); },
         [](uint8_t c) { return IsDefaultReadingDelimiter(c); }},
    };
    for (const TReading& reading : readings) {
        for (int c = 0; c < 256; ++c) {
            const auto byte = static_cast<uint8_t>(c);
            const char ch = static_cast<char>(c);
            EXPECT_EQ(reading.IsWhite(byte), reading.White.find(ch) != std::string_view::npos) << reading.Name << c;
            EXPECT_EQ(reading.IsDelimiter(byte), reading.Delimiters.find(ch) != std::string_view::npos)
                << reading.Name << c;
        }
    }
    for (int c = 0; c < 256; ++c) {
        const auto byte = static_cast<uint8_t>(c);
        EXPECT_EQ(IsIsoRegular(byte), !IsIsoWhiteSpace(byte) && !IsIsoDelimiter(byte)) << c;
    }
}

TEST(CharacterClasses, HexadecimalDigitsOfEitherCase) {
    const std::string_view lower = "0123456789abcdef";
    for (int c = 0; c < 256; ++c) {
        const auto byte = static_cast<uint8_t>(c);
        const size_t upper = UpperHexDigits.find(static_cast<char>(c));
        const size_t small = lower.find(static_cast<char>(c));
        const int expected = upper != std::string_view::npos ? static_cast<int>(upper)
                             : small != std::string_view::npos ? static_cast<int>(small)
                                                                : -1;
        EXPECT_EQ(HexDigitValue(byte), expected) << c;
    }
    EXPECT_EQ(UpperHexDigits, "0123456789ABCDEF");
}
