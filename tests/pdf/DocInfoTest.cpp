// The Info dictionary's strings: the two string readers, the three text
// encodings, and the dictionary read from a document, hostile ones included.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "AnalystTestSupport.h"
#include "pdf/DocInfo.h"

using namespace lumerra;
using namespace lumerra::test;
using namespace std::string_literals;

namespace {

struct TStringCase {
    const char* Name;
    bool Hex;
    std::string Bytes;  // what follows "(" or "<"
    std::string Expected;
    bool Ended = true;
};

std::pair<std::string, bool> ReadString(const TStringCase& Case) {
    TMemoryStream s;
    s.WriteBuffer(Case.Bytes.data(), static_cast<int32_t>(Case.Bytes.size()));
    s.SetPosition(0);
    std::string bytes;
    const bool ended = Case.Hex ? ReadHexString(s, bytes) : ReadLiteralString(s, bytes);
    return {bytes, ended};
}

using TEntries = std::vector<std::pair<std::string, std::string>>;

TEntries DocInfoOf(const std::string& Info, const std::string& Extra = "") {
    PdfBuilder builder = PdfBuilder::SimpleDocument({"BT ET"});
    builder.Set(10, Info);
    builder.Set(11, "(By reference)");
    builder.TrailerExtra("/Info 10 0 R" + Extra);
    LoadedDocument doc(builder);
    return ReadDocInfo(doc.Analyst);
}

}  // namespace

TEST(DocInfo, StringReaders) {
    const std::vector<TStringCase> cases = {
        {"plain", false, "abc) tail", "abc"},
        {"balanced parentheses", false, "a(b(c))d) tail", "a(b(c))d"},
        {"escapes", false, "\\n\\r\\t\\b\\f\\(\\)\\\\\\q)", "\n\r\t\b\f()\\q"},
        {"octal of one to three digits", false, "\\53\\0053\\7\\400)", "+\0053\a\0"s},
        {"line ends become LF", false, "a\r\nb\rc\nd)", "a\nb\nc\nd"},
        {"continued lines", false, "a\\\r\nb\\\nc\\\rd)", "abcd"},
        {"unbalanced runs to the end", false, "a(b)c", "a(b)c", false},
        {"backslash at the end", false, "ab\\", "ab", false},
        {"hex with spaces and case", true, "48 65\n6C6c6F> tail", "Hello"},
        {"odd hex digit", true, "414>", "A@"},
        {"stray bytes passed over", true, "4g1>", "A"},
        {"unclosed hex", true, "4142", "AB", false},
        {"long literal kept in part", false, std::string(100'000, 'x') + ")",
         std::string(MaximumInfoString, 'x')},
        {"never closed, bounded", false, std::string(2 * MaximumInfoStringSpan, '('),
         std::string(MaximumInfoString, '('), false},
    };
    for (const TStringCase& c : cases) {
        const auto [bytes, ended] = ReadString(c);
        EXPECT_EQ(bytes.substr(0, 80), c.Expected.substr(0, 80)) << c.Name;
        EXPECT_EQ(bytes.size(), c.Expected.size()) << c.Name;
        EXPECT_EQ(ended, c.Ended) << c.Name;
    }
}

TEST(DocInfo, TextEncodings) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"caf\xE9", "caf\xC3\xA9"},
        {"\x80\x92\xA0\x18", "\xE2\x80\xA2\xE2\x84\xA2\xE2\x82\xAC\xCB\x98"},  // bullet, trade mark, euro, breve
        {"\x7F\x9F", "\xEF\xBF\xBD\xEF\xBF\xBD"},                               // no character
        {"\xFE\xFF\x00\x41\xD8\x3D\xDE\x00"s, "A\xF0\x9F\x98\x80"},              // a surrogate pair
        {"\xFE\xFF\xDC\x00\x00\x41"s, "\xEF\xBF\xBD" "A"},                        // a lone low surrogate
        {"\xFE\xFF\x00\x1Bja\x00\x1B\x00X"s, "X"},                                // a language mark
        {"\xFE\xFF\x00\x41\x00"s, "A\xEF\xBF\xBD"},                               // an odd byte
        {"\xEF\xBB\xBF" "\xC3\xA9\xC3", "\xC3\xA9\xEF\xBF\xBD"},                 // UTF-8, cut short
    };
    for (const auto& [bytes, utf8] : cases) EXPECT_EQ(TextStringToUtf8(bytes), utf8) << bytes;
}

TEST(DocInfo, ReadsTheEntriesInOrder) {
    EXPECT_EQ(DocInfoOf("<< /Producer (P) /Title (Hello \\(World\\)) /Author <FEFF00E9> /Subject 11 0 R"
                        " /Nested << /Keywords (inner) >> /Creator /NotAString /ModDate (D:2020)"
                        " /Title (second) /CreationDate (D:2019) >>"),
              (TEntries{{"title", "Hello (World)"},
                        {"author", "\xC3\xA9"},
                        {"subject", "By reference"},
                        {"producer", "P"},
                        {"creation-date", "D:2019"},
                        {"mod-date", "D:2020"}}));
}

TEST(DocInfo, HostileDictionariesKeepWhatCameBefore) {
    // A string of another key that balances only at the file's end, one that
    // never ends, a dictionary that runs off the object, a reference to a
    // reference (not followed), an encrypted document.
    EXPECT_EQ(DocInfoOf("<< /Title (T) /Custom (a ( b) /Author (A) >>"), (TEntries{{"title", "T"}}));
    EXPECT_EQ(DocInfoOf("<< /Title <54> /Custom (" + std::string(3'000'000, '(') + " >>"),
              (TEntries{{"title", "T"}}));
    EXPECT_EQ(DocInfoOf("<< /Author (A) /Title"), (TEntries{{"author", "A"}}));
    EXPECT_EQ(DocInfoOf("<< /Title 12 0 R /Author (A) >>"), (TEntries{{"author", "A"}}));
    EXPECT_EQ(DocInfoOf("<< /Title (T) >>", " /Encrypt 11 0 R"), TEntries{});
}
