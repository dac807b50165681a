// The raw counter's own rules where pdfid's are surprising, and the same
// counts whatever pieces the bytes come in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "triage/RawKeywords.h"

using namespace lumerra;
using namespace std::string_literals;

namespace {

std::span<const uint8_t> Bytes(const std::string& Text) {
    return {reinterpret_cast<const uint8_t*>(Text.data()), Text.size()};
}

TRawCounts Count(const std::string& Text, size_t Piece = 1 << 20) {
    TRawKeywordCounter counter;
    for (size_t at = 0; at < Text.size(); at += Piece) counter.Add(Bytes(Text).subspan(at, std::min(Piece, Text.size() - at)));
    return counter.Finish();
}

size_t Index(std::string_view Keyword) {
    return static_cast<size_t>(std::find(TriageKeywords.begin(), TriageKeywords.end(), Keyword) - TriageKeywords.begin());
}

}  // namespace

TEST(RawKeywords, CountsAsPdfidDoes) {
    struct Case {
        const char* Name;
        std::string Text;
        const char* Keyword;
        int64_t Raw, Escaped;
    };
    const std::vector<Case> cases = {
        {"escaped letters", "/J#61vaScript /J#53", "/JavaScript", 1, 1},
        {"escape decoding a digit of the word", "/J#53", "/JS", 1, 1},
        {"longer names are other names", "/Pages /Page/Page /PageX", "/Page", 2, 0},
        {"words glued to digits are other words", "1 0 obj 0obj objx endobj", "obj", 1, 0},
        {"a broken escape ends the word, the slash stands", "/a#zzJS", "/JS", 0, 0},
        {"the slash still stands after a broken escape", "/a#JS", "/JS", 1, 0},
        {"a second # after a broken one escapes", "/A##4aS", "/JS", 1, 1},
        {"no escape without a slash", "x #4aS", "/JS", 0, 0},
        {"an escape cut by the end", "/JS#4", "/JS", 1, 0},
        {"an escaped slash joins the word", "/#2FJS", "/JS", 0, 0},
        {"words around a run of zero bytes", "/JS" + std::string(20, '\0') + "/JS", "/JS", 2, 0},
        {"an escape whose digit is a zero byte", "/J#" + std::string(20, '\0') + "JS", "/JS", 0, 0},
    };
    for (const Case& c : cases) {
        const TKeywordCount count = Count(c.Text).Keywords[Index(c.Keyword)];
        EXPECT_EQ(count.Raw, c.Raw) << c.Name;
        EXPECT_EQ(count.Escaped, c.Escaped) << c.Name;
    }
}

TEST(RawKeywords, EndMarkersAndTheBytesAfterThem) {
    struct Case {
        std::string Text;
        int64_t Markers;
        std::optional<int64_t> After;
    };
    const std::vector<Case> cases = {
        {"%%EOF\n", 1, 0},        {"%%EOF\r\n", 1, 0},      {"%%EOF\r\nab", 1, 2},   {"%%EOF", 1, 0},
        {"%%EOF \nab", 1, 3},     {"%%EOFx\n", 0, {}},      {"%%%EOF\n", 0, {}},     {"x", 0, {}},
        // The byte after "%%EOF" CR starts no marker.
        {"%%EOF\r%%EOF\n", 1, 6}, {"%%EOF\n%%EOF\nxyz", 2, 3},
        // A run of zero bytes (a sparse file's hole) is counted at once.
        {"%%EOF\n" + std::string(21, '\0') + "ab", 1, 23}, {"%%EOF" + std::string(17, '\0') + "%%EOF\n", 1, 0},
    };
    for (const Case& c : cases) {
        const TRawCounts counts = Count(c.Text);
        EXPECT_EQ(counts.EofMarkers, c.Markers) << c.Text;
        EXPECT_EQ(counts.AfterLastEof, c.After) << c.Text;
    }
}

TEST(RawKeywords, ColorsAbove2To24AreCountedUntilTheNextName) {
    struct Case {
        const char* Name;
        std::string Text;
        int64_t Expected;
    };
    const std::vector<Case> cases = {
        {"2^24 itself", "/Colors 16777216 ", 0},
        {"one above", "/DecodeParms << /Colors 16777217 >>", 1},
        {"leading zeros", "/Colors 000000000016777217 ", 1},
        {"below, with leading zeros", "/Colors 0016777215 ", 0},
        {"far above", "/Colors 123456789012345678901234567890 ", 1},
        {"every integer until the next name", "/Colors 3 99999999 16777217 /BPC 16777217 ", 2},
        {"escaped name", "/C#6flors 16777217 ", 1},
        {"escaped digits in a name", "/Colors /#31#36#37#37#37#32#31#37 ", 1},
        {"signs and fractions end the digits", "/Colors -16777217 16777217.5 ", 2},
        {"letters make it no number", "/Colors 16777217R ", 0},
        {"another name", "/ColorsX 16777217 ", 0},
        {"the data ends on it", "/Colors 16777217", 0},
        {"a broken escape ends it", "/Colors /16777217#zz ", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(Count(c.Text).ColorsAbove2To24, c.Expected) << c.Name;
}

TEST(RawKeywords, PiecesOfAnySizeGiveTheSameCounts) {
    // A string literal: the NUL after "stream" must not end the text.
    const std::string text =
        "%PDF-1.5\n1 0 obj << /S /J#61vaScript /JS (x) /A##4aS /a#zzJS >> endobj\nstream\n\x00\xff/Launch"
        "endstream %%EOF\r\n%%EOF\r%%EOF \n/EmbeddedFile startxref\n/C#6flors 16777217 /J#4"s +
        std::string(19, '\0') + "/JS %%EOF\n" + std::string(9, '\0');
    const TRawCounts whole = Count(text);
    ASSERT_EQ(whole.ColorsAbove2To24, 1);  // the whole text was counted
    for (size_t piece = 1; piece < 8; ++piece) {
        const TRawCounts cut = Count(text, piece);
        for (size_t k = 0; k < TriageKeywords.size(); ++k) {
            EXPECT_EQ(cut.Keywords[k].Raw, whole.Keywords[k].Raw) << TriageKeywords[k] << " in pieces of " << piece;
            EXPECT_EQ(cut.Keywords[k].Escaped, whole.Keywords[k].Escaped) << TriageKeywords[k];
        }
        EXPECT_EQ(cut.ColorsAbove2To24, whole.ColorsAbove2To24);
        EXPECT_EQ(cut.EofMarkers, whole.EofMarkers);
        EXPECT_EQ(cut.AfterLastEof, whole.AfterLastEof);
    }
}

TEST(RawKeywords, HeaderLineIsLeftOutOfTheCount) {
    const std::string text = "junk obj %PDF-1.7 obj\nobj";
    const THeaderLine header = FindHeaderLine(Bytes(text));
    EXPECT_EQ(header.Header, "%PDF-1.7 o");
    EXPECT_EQ(header.CountFrom, text.find('\n'));
    EXPECT_FALSE(FindHeaderLine(Bytes("no header obj")).Header);
    EXPECT_EQ(FindHeaderLine(Bytes("no header obj")).CountFrom, 0u);
}
