#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "pdf/StartXref.h"
#include "support/ByteSpan.h"

using namespace lumerra;
using lumerra::test::BytesOf;
using namespace std::string_literals;

namespace {

std::optional<int64_t> OffsetIn(const std::string& Bytes) {
    const auto found = LastStartXref(BytesOf(Bytes));
    if (found) return found->Offset;
    return std::nullopt;
}

}  // namespace

TEST(StartXref, TheLastKeywordOutsideCommentsNamesTheOffset) {
    struct TCase {
        const char* Name;
        std::string Bytes;
        std::optional<int64_t> Offset;
    };
    const TCase cases[] = {
        {"one revision", "trailer\n<< /Size 3 >>\nstartxref\n123\n%%EOF\n", 123},
        {"every white space around it", "startxref\0\t\f 123\r\n\0%%EOF \t\f\0\n"s, 123},
        {"the newest of several revisions", "startxref\n10\n%%EOF\nxref\nstartxref\n200\n%%EOF\n", 200},
        {"a comment between keyword and offset", "startxref % the offset\n77\n%%EOF", 77},
        {"a keyword in a later comment", "startxref\n55\n%%EOF\n% startxref 99\n", 55},
        {"a keyword glued to a word", "startxref 10\n%%EOF\nmystartxref 5 startxrefs 6\n", 10},
        {"delimiters around it", ">>startxref 42%%EOF", 42},
        {"no keyword", "trailer << /Size 3 >>\n%%EOF\n", std::nullopt},
        {"the last keyword without an offset", "startxref 10\n%%EOF\nstartxref\n%%EOF\n", std::nullopt},
        {"a negative offset", "startxref -5\n%%EOF", std::nullopt},
        {"a real number", "startxref 5.0\n%%EOF", std::nullopt},
        {"an offset past 2 GiB", "startxref\n3000000000\n%%EOF", int64_t{3000000000}},
        {"an offset past 4 GiB", "startxref\n17179869185\n%%EOF", int64_t{17179869185}},
        {"an offset past 64 bits", "startxref\n99999999999999999999\n%%EOF", std::nullopt},
        {"nothing", "", std::nullopt},
    };
    for (const TCase& c : cases) EXPECT_EQ(OffsetIn(c.Bytes), c.Offset) << c.Name;
}

TEST(StartXref, TellsWhereTheKeywordAndTheOffsetStand) {
    const std::string bytes = "x startxref\n% note\n  4096\n%%EOF";
    const auto found = LastStartXref(BytesOf(bytes));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->Keyword, 2u);
    EXPECT_EQ(found->End, bytes.find("%%EOF") - 1);
}
