// Values written back in PDF syntax: each written form read back by the
// parser gives the same value, and reads as a person expects.
#include <gtest/gtest.h>

#include <span>
#include <string>

#include "support/ByteSpan.h"
#include "syntax/Parser.h"
#include "syntax/ValueWriter.h"

using namespace lumerra;
using lumerra::test::BytesOf;

namespace {

TValue Parsed(const std::string& Text) {
    const auto value = ParseValue(BytesOf(Text));
    EXPECT_TRUE(value.has_value()) << Text;
    return value.value_or(TValue());
}

TEST(ValueWriterTest, WritesEachKindInItsOneForm) {
    const struct {
        const char* Source;
        const char* Written;
    } cases[] = {
        {"null", "null"},
        {"true", "true"},
        {"-17", "-17"},
        {"3.50", "3.5"},
        {"-.25", "-0.25"},
        {"/Type", "/Type"},
        {"/A#20B", "/A#20B"},          // white space
        {"/a#2Fb#23c", "/a#2Fb#23c"},  // a delimiter and '#'
        {"/#28#29#3C#3E#5B#5D#7B#7D#25", "/#28#29#3C#3E#5B#5D#7B#7D#25"},
        {"/caf#C3#A9", "/caf#C3#A9"},  // bytes past 0x7E
        {"/#41b", "/Ab"},              // an escape that was not needed
        {"(plain text)", "(plain text)"},
        {"(a\\(b\\)c\\\\d)", "(a\\(b\\)c\\\\d)"},
        {"(line\\nbreak\\ttab)", "(line\\nbreak\\ttab)"},
        {"<48690a>", "(Hi\\n)"},       // hex in the file, text all the same
        {"<00ff10>", "<00FF10>"},      // binary
        {"(caf\\351)", "<636166E9>"},  // not plain ASCII: shown as bytes
        {"12 0 R", "12 0 R"},
        {"[1 2.5 /N (s) 3 0 R]", "[1 2.5 /N (s) 3 0 R]"},
        {"<<>>", "<< >>"},
        {"<< /Type /Page /Parent 2 0 R >>", "<<\n  /Type /Page\n  /Parent 2 0 R\n>>"},
        {"<< /R << /F << /F1 5 0 R >> >> >>", "<<\n  /R <<\n    /F <<\n      /F1 5 0 R\n    >>\n  >>\n>>"},
        {"[<< /A 1 >>]", "[\n  <<\n    /A 1\n  >>\n]"},
        // Past the line's width an array breaks; an inner one that fits stays whole.
        {"[(0123456789012345678901234567890123456789) [1 2] (0123456789012345678901234567)]",
         "[\n  (0123456789012345678901234567890123456789)\n  [1 2]\n  (0123456789012345678901234567)\n]"},
    };
    for (const auto& c : cases) {
        const TValue value = Parsed(c.Source);
        const std::string written = WrittenValue(value);
        EXPECT_EQ(written, c.Written) << c.Source;
        // What is written reads back as the same value.
        EXPECT_EQ(WrittenValue(Parsed(written)), written) << c.Source;
    }
}

// Arrays nested as deep as the parser allows are each written once: trying
// the one-line form of every level in full once doubled the work per level.
TEST(ValueWriterTest, DeepNestingIsWrittenInOnePass) {
    std::string source;
    for (int level = 0; level < 31; ++level) source += "[10 ";
    source += std::string(31, ']');
    const std::string written = WrittenValue(Parsed(source));
    EXPECT_EQ(WrittenValue(Parsed(written)), written);
    EXPECT_NE(written.find('\n'), std::string::npos);
}

TEST(ValueWriterTest, EveryNameByteReadsBack) {
    std::string all;
    for (int byte = 1; byte < 256; ++byte) all += static_cast<char>(byte);
    const std::string written = WrittenName(all);
    const TValue back = Parsed(written);
    ASSERT_TRUE(back.Is(TValue::TKind::Name));
    EXPECT_EQ(back.Text(), all);
}

}  // namespace
