#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "pdf/PDFAnalyst.h"
#include "pdf/PDFLexer.h"
#include "support/PdfBuilder.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

std::unique_ptr<TMemoryStream> MemoryOf(const std::string& bytes) {
    auto S = std::make_unique<TMemoryStream>();
    S->WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
    S->SetPosition(0);
    return S;
}

// Every token up to the end of the stream.
std::vector<std::string> Tokens(const std::string& bytes) {
    auto S = MemoryOf(bytes);
    std::vector<std::string> tokens;
    try {
        for (;;) tokens.push_back(ReadToken(*S));
    } catch (const EReadError&) {
    }
    return tokens;
}

std::string Rest(TStream& S) {
    std::string rest(static_cast<size_t>(S.Size() - S.Position()), '\0');
    S.ReadBuffer(rest.data(), static_cast<int32_t>(rest.size()));
    return rest;
}

TBox Box(const std::string& text) {
    TBox box{1, 2, 3, 4};
    return ParseBox(text, box);
}

}  // namespace

// ------------------------------------------------------------------ tokens

TEST(ReadToken, WhiteSpaceIsOnlyLfCrAndSpace) {
    EXPECT_EQ(Tokens("  \r\n 12 0 obj\n"), (std::vector<std::string>{"12", "0", "obj"}));
    EXPECT_EQ(Tokens("1\t0 "), (std::vector<std::string>{"1\t0"}));
    EXPECT_EQ(Tokens("a\fb "), (std::vector<std::string>{"a\fb"}));
    EXPECT_EQ(Tokens(std::string("a\0b ", 4)), (std::vector<std::string>{std::string("a\0b", 3)}));
    EXPECT_EQ(Tokens("{abc} "), (std::vector<std::string>{"{abc}"}));
}

TEST(ReadToken, DelimitersSplitAndNamesKeepTheirSlash) {
    EXPECT_EQ(Tokens("<</Type/Page/Parent 3 0 R>>"),
              (std::vector<std::string>{"<", "<", "/Type", "/Page", "/Parent", "3", "0", "R", ">", ">"}));
    EXPECT_EQ(Tokens("[0 0 612]"), (std::vector<std::string>{"[", "0", "0", "612", "]"}));
    EXPECT_EQ(Tokens("<48656C6C6F>"), (std::vector<std::string>{"<", "48656C6C6F", ">"}));
    EXPECT_EQ(Tokens("/A(x)"), (std::vector<std::string>{"/A", "(", "x", ")"}));
    EXPECT_EQ(Tokens("// "), (std::vector<std::string>{"/", "/"}));
    EXPECT_EQ(Tokens("a%b "), (std::vector<std::string>{"a", "%", "b"}));
}

TEST(ReadToken, LeavesTheEndingByteUnread) {
    auto S = MemoryOf("/Name%rest of line\nnext ");
    EXPECT_EQ(ReadToken(*S), "/Name");
    EXPECT_EQ(ReadToken(*S), "%");
    SkipLine(*S);
    EXPECT_EQ(ReadToken(*S), "next");

    auto T = MemoryOf("612]");
    EXPECT_EQ(ReadToken(*T), "612");
    EXPECT_EQ(T->Position(), 3);
    EXPECT_EQ(ReadToken(*T), "]");
    EXPECT_EQ(T->Position(), 4);
}

TEST(ReadToken, EndOfStreamRaisesReadError) {
    auto S = MemoryOf("  \n");
    EXPECT_THROW(ReadToken(*S), EReadError);
    auto T = MemoryOf("");
    EXPECT_THROW(SkipWhiteSpace(*T), EReadError);
    // A token that runs into the end is not returned either.
    auto U = MemoryOf("abc");
    EXPECT_THROW(ReadToken(*U), EReadError);
}

TEST(SkipLine, ConsumesOnlyOneLineEndByte) {
    auto S = MemoryOf("abc\r\nxyz ");
    SkipLine(*S);
    EXPECT_EQ(S->Position(), 4);  // the LF stays
    EXPECT_EQ(ReadToken(*S), "xyz");
    auto T = MemoryOf("no line end");
    EXPECT_THROW(SkipLine(*T), EReadError);
}

TEST(ReadToken, FileAndMemoryStreamsReadTheSameTokensAcrossBlockBoundaries) {
    // PDF-like bytes with tokens of every length, comments and strings, so
    // that tokens, line ends and escapes straddle the file's cache blocks.
    std::string bytes;
    uint32_t seed = 7;
    auto next = [&seed] { return seed = seed * 1664525 + 1013904223; };
    while (bytes.size() < 300000) {
        switch (next() % 8) {
            case 0: bytes += "/Name" + std::string(next() % 40, 'n') + " "; break;
            case 1: bytes += std::to_string(next() % 100000) + " 0 R\r\n"; break;
            case 2: bytes += "% comment " + std::string(next() % 300, 'c') + "\r"; break;
            case 3: bytes += "(str\\) \\12" + std::string(next() % 200, 's') + ")"; break;
            case 4: bytes += "<<[" + std::string(next() % 5, ' ') + "]>>"; break;
            case 5: bytes += std::string(next() % 4000, ' '); break;
            case 6: bytes += "stream\r\n" + std::string(next() % 9000, 'd') + "\nendstream\n"; break;
            default: bytes += std::string(next() % 20000, 'x') + "\n"; break;
        }
    }
    bytes += " end\n";
    TempFile file(bytes, "tokens.bin");
    TFileStream F(file.Path(), TFileStream::TMode::OpenRead);
    auto M = MemoryOf(bytes);
    std::string a, b;
    for (int count = 0;; ++count) {
        ReadToken(*M, a);
        ReadToken(F, b);
        ASSERT_EQ(a, b) << "token " << count;
        ASSERT_EQ(M->Position(), F.Position()) << "token " << count;
        if (a == "end") break;
        if (a == "%") {
            SkipLine(*M);
            SkipLine(F);
        } else if (a == "(") {
            SkipLiteralString(*M);
            SkipLiteralString(F);
        }
        ASSERT_EQ(M->Position(), F.Position()) << "after token " << count;
    }
}

// ---------------------------------------------------------- literal strings

// The string ends at the first ")" that is not escaped: nesting is not
// counted.
TEST(SkipLiteralString, EndsAtTheFirstUnescapedParenthesis) {
    struct Case {
        std::string Bytes;
        std::string Rest;
    };
    const std::vector<Case> cases = {
        {"a\\)b) tail", " tail"},
        {"a(b)c) tail", "c) tail"},   // nesting not counted
        {"\\\r\nx) tail", " tail"},   // backslash CR LF: both line-end bytes belong to the escape
        {"\\\rx) tail", " tail"},     // backslash CR: the x is read normally
        {"\\\r) tail", " tail"},      // backslash CR then ")": the ")" ends the string
        {"\\\nx) tail", " tail"},
        {"\\12) tail", " tail"},      // two digits then ")": the ")" ends the string
        {"\\1) tail", " tail"},       // one digit then ")"
        {"\\123) tail", " tail"},     // three digits
        {"\\12)) tail", ") tail"},
        {"\\1a) tail", " tail"},      // the byte after one digit is consumed
        {"\\123)x) tail", "x) tail"}, // the third digit is consumed, the next ")" ends
        {"\\\\) tail", " tail"},      // an escaped backslash
        {"\\() tail", " tail"},
    };
    for (const Case& c : cases) {
        auto S = MemoryOf(c.Bytes);
        SkipLiteralString(*S);
        EXPECT_EQ(Rest(*S), c.Rest) << c.Bytes;
    }
}

TEST(SkipLiteralString, StopsQuietlyAtTheEnd) {
    for (const std::string bytes : {"", "abc", "abc\\", "\\1", "\\12", "\\\r"}) {
        auto S = MemoryOf(bytes);
        EXPECT_NO_THROW(SkipLiteralString(*S)) << bytes;
        EXPECT_EQ(S->Position(), S->Size()) << bytes;
    }
}

// ------------------------------------------------------------ object header

TEST(SkipObjectHeader, StandsOnTheFirstBodyToken) {
    for (const auto& [bytes, rest] : {std::pair{"7 0 obj % note\n<< /Length 5 >>", "<< /Length 5 >>"},
                                      std::pair{"7 0 obj<</A 1>>", "<</A 1>>"},
                                      std::pair{"7 0 obj\n  42 endobj", "42 endobj"}}) {
        auto S = MemoryOf(bytes);
        SkipObjectHeader(*S);
        EXPECT_EQ(Rest(*S), rest) << bytes;
    }
}

// ----------------------------------------------------------------- boxes

// Four numbers, rounded; any bad number gives all zero.
TEST(ParseBox, ReadsFourRoundedNumbersOrNone) {
    const std::pair<std::string, TBox> cases[] = {
        {" [0 0 612 792]", {0, 0, 612, 792}},
        {" [0 0 612]", {0, 0, 612, 0}},
        {"[-8.5 0.5 595.5 842]", {-8, 0, 596, 842}},
        {"[612.5 791.5 +3 -2.5e1]", {612, 792, 3, -25}},
        {"[.5 0 0 0]", {5, 0, 0, 0}},  // the dot is passed over
        {"\r\n[ 1\n2\r3 4 ]", {1, 2, 3, 4}},
        {"[-2147483648 2147483647 0 0]", {INT32_MIN, INT32_MAX, 0, 0}},
        {" [0 0 6.1.2 792]", {}},
        {"", {}},
        {"[1e300 0 0 0]", {}},
        {"[0 -1e300 0 0]", {}},
        {"[0 0 2147483648 0]", {}},
        {"[0 0 1e999 0]", {}},
        {"[1 2 3 4-]", {}},
        {"[1 2 3 ++4]", {}},
        {"[1 2 3 +-4]", {}},
        {"[1 2 3 -+4]", {}},
        {"[1 2 3 -inf]", {}},
        {"[1 2 3 4R]", {}},
    };
    for (const auto& [text, box] : cases) EXPECT_EQ(Box(text), box) << text;
}
