#include <gtest/gtest.h>

#include <climits>

#include "common/StrUtils.h"

using namespace lumerra;

TEST(StrToIntDef, AcceptsOnlySignAndDigitsWithin32Bits) {
    EXPECT_EQ(StrToIntDef("0", -1), 0);
    EXPECT_EQ(StrToIntDef("007", -1), 7);
    EXPECT_EQ(StrToIntDef("+12", -1), 12);
    EXPECT_EQ(StrToIntDef("-12", 0), -12);
    EXPECT_EQ(StrToIntDef("2147483647", -1), INT32_MAX);
    EXPECT_EQ(StrToIntDef("-2147483648", 0), INT32_MIN);
    EXPECT_EQ(StrToIntDef("2147483648", -1), -1);
    EXPECT_EQ(StrToIntDef("-2147483649", -1), -1);
    EXPECT_EQ(StrToIntDef("99999999999999999999999", -1), -1);
    for (const char* text : {"", "-", "+", "1.0", "1 ", " 1", "0x10", "12a", "+-1", "1e3"})
        EXPECT_EQ(StrToIntDef(text, -7), -7) << '"' << text << '"';
}

TEST(FileNameHelpers, NameExtensionAndReplacement) {
    EXPECT_EQ(ExtractFileName("/tmp/dir/sample.pdf"), "sample.pdf");
    EXPECT_EQ(ExtractFileName("sample.pdf"), "sample.pdf");
    EXPECT_EQ(ExtractFileExt("/tmp/dir/sample.PDF"), ".PDF");
    EXPECT_EQ(ExtractFileExt("/tmp/dir.d/sample"), "");
    EXPECT_EQ(ChangeFileExt("/tmp/dir/sample.pdf", ".txt"), "/tmp/dir/sample.txt");
    EXPECT_EQ(ChangeFileExt("/tmp/dir.d/sample", ".txt"), "/tmp/dir.d/sample.txt");
    EXPECT_EQ(ChangeFileExt("a.b.pdf", ".txt"), "a.b.txt");
    EXPECT_TRUE(SameText(".PDF", ".pdf"));
    EXPECT_FALSE(SameText(".pdf", ".pd"));
}

TEST(FormatThousands, GroupsByThrees) {
    EXPECT_EQ(FormatThousands(0), "0");
    EXPECT_EQ(FormatThousands(999), "999");
    EXPECT_EQ(FormatThousands(1000), "1,000");
    EXPECT_EQ(FormatThousands(1234567), "1,234,567");
    EXPECT_EQ(FormatThousands(-1234), "-1,234");
    EXPECT_EQ(FormatThousands(INT64_MIN), "-9,223,372,036,854,775,808");
}
