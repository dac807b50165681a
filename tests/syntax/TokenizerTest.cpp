// The tokenizer of extended reading: ISO 32000 character classes, typed
// tokens with their offsets, and damage told as Bad tokens.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ByteSpan.h"
#include "syntax/Tokenizer.h"

using namespace lumerra;
using lumerra::test::BytesOf;

namespace {

// Each token as "type:text" (numbers by value), joined by spaces.
std::string Tokens(const std::string& Text) {
    static const char* const Types[] = {"int", "real", "name", "str", "hex", "kw", "[", "]", "<<", ">>", "{", "}", "end", "bad"};
    TTokenizer tokens(BytesOf(Text));
    std::string out;
    for (TSyntaxToken t = tokens.Next(); t.Type != TTokenType::End; t = tokens.Next()) {
        std::string text = t.Text;
        if (t.Type == TTokenType::Integer) text = std::to_string(t.Integer);
        if (t.Type == TTokenType::Real) text = std::to_string(t.Real).substr(0, 6);
        out += (out.empty() ? "" : " ") + std::string(Types[static_cast<int>(t.Type)]) + (text.empty() ? "" : ":" + text);
    }
    return out;
}

TEST(Tokenizer, ReadsEachKindOfToken) {
    struct Case {
        std::string Input, Tokens;
    };
    const std::vector<Case> cases = {
        // White space is six characters, delimiters include braces.
        {std::string("1\0" "2\t3\f4\r5\n6 7", 13), "int:1 int:2 int:3 int:4 int:5 int:6 int:7"},
        {"<</A[1]>>{2}", "<< name:A [ int:1 ] >> { int:2 }"},
        {"<<>><>", "<< >> hex"},
        // Numbers: signs, periods, too large for 64 bits; not numbers.
        {"+7 -5 .5 -.25 3. 99999999999999999999", "int:7 int:-5 real:0.5000 real:-0.250 real:3.0000 real:100000"},
        {"1.2.3 -- + true R", "kw:1.2.3 kw:-- kw:+ kw:true kw:R"},
        // Names: #xx decoded, a lone # kept, ending at any delimiter.
        {"/#49m3 /A#2FB /a#zz /x%c\n/ /y(", "name:Im3 name:A/B name:a#zz name:x name name:y bad:unterminated string"},
        // Strings: nesting, escapes, octal, a line end continued or taken as LF.
        {"(a(b)c) (\\(\\)\\\\\\n\\101\\7x) (l\\\nm) (p\r\nq)", "str:a(b)c str:()\\\n" "A\ax str:lm str:p\nq"},
        {"<41 42 4> <4g>1", "hex:AB@ bad:bad hexadecimal string int:1"},
        {"% comment\n1 %end", "int:1"},
        {"(open", "bad:unterminated string"},
        {") >", "bad:unexpected ')' bad:unexpected '>'"},
    };
    for (const Case& c : cases) EXPECT_EQ(Tokens(c.Input), c.Tokens) << c.Input;
}

TEST(Tokenizer, TokensTellTheirOffsetsFromTheBase) {
    const std::string text = "  /A <<12>> (s)";
    TTokenizer tokens(BytesOf(text), 1000);
    std::vector<int64_t> offsets;
    for (TSyntaxToken t = tokens.Next(); t.Type != TTokenType::End; t = tokens.Next()) offsets.push_back(t.Offset);
    EXPECT_EQ(offsets, (std::vector<int64_t>{1002, 1005, 1007, 1009, 1012}));
    EXPECT_TRUE(tokens.AtEnd());
}

TEST(Tokenizer, NormalNameEscapesWhatANameCannotHoldAsItIs) {
    EXPECT_EQ(NormalName("Im3"), "/Im3");
    EXPECT_EQ(NormalName(std::string("a b#c/d\x80\0", 9)), "/a#20b#23c#2Fd#80#00");
    EXPECT_EQ(NormalName(""), "/");
}

TEST(Tokenizer, StringsPassedOverEndWhereTheyEndWhenRead) {
    for (const std::string text : {"(a(b)c) Tj", "(a\\)b\\\\) x", "(\\\r\n) y", "<41 42 4> z", "<4G> w", "(open",
                                   "(a\\", "<41", "(x)(y)"}) {
        TTokenizer kept(BytesOf(text)), passed(BytesOf(text));
        passed.SetKeepStringBytes(false);
        for (;;) {
            const TSyntaxToken a = kept.Next(), b = passed.Next();
            EXPECT_EQ(a.Type, b.Type) << text;
            EXPECT_EQ(a.Offset, b.Offset) << text;
            EXPECT_EQ(a.Truncated, b.Truncated) << text;
            if (b.Type == TTokenType::String || b.Type == TTokenType::HexString) EXPECT_EQ(b.Text, "") << text;
            else EXPECT_EQ(a.Text, b.Text) << text;
            if (a.Type == TTokenType::End || b.Type == TTokenType::End) break;
        }
    }
}

}  // namespace
