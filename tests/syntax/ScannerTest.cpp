// Where the scanner ends a literal string: it reads eight bytes at a time,
// so each string is tried at every alignment, with the byte that matters at
// every place of a word.
#include <gtest/gtest.h>

#include <string>

#include "support/ByteSpan.h"
#include "syntax/Scanner.h"

using namespace lumerra;
using lumerra::test::BytesOf;

namespace {

struct TCase {
    std::string String;  // from its "(" to its end
    TTokenType Type;
};

std::string Filler(size_t Length) { return std::string(Length, 'a'); }

}  // namespace

TEST(Scanner, LiteralStringsEndWhereTheyEndAtEveryAlignment) {
    for (size_t before = 0; before < 9; ++before)
        for (size_t at = 0; at < 34; ++at) {
            const TCase cases[] = {
                {"(" + Filler(at) + ")", TTokenType::String},
                {"(" + Filler(at) + "\\)" + Filler(3) + ")", TTokenType::String},
                {"(" + Filler(at) + "(" + Filler(2) + ")" + Filler(at) + ")", TTokenType::String},
                {"(" + Filler(at) + "\\\\)", TTokenType::String},
                {"(" + Filler(at) + "(" + Filler(at) + ")", TTokenType::Bad},
            };
            for (const TCase& c : cases) {
                const std::string content = std::string(before, ' ') + c.String + " Tj" + Filler(9);
                TScanner scanner(BytesOf(content));
                TScanToken token;
                scanner.Next(token);
                ASSERT_EQ(token.Type, c.Type) << content;
                const size_t end = c.Type == TTokenType::Bad ? content.size() : before + c.String.size();
                EXPECT_EQ(scanner.Position(), end) << content;
                // The pass over a TJ array's body ends it alike, and stops
                // on the keyword after it (or on a string not closed).
                TScanner pass(BytesOf(content));
                pass.PassStringsAndNumbers();
                EXPECT_EQ(pass.Position(), c.Type == TTokenType::Bad ? before : end + 1) << content;
            }
        }
}

// The pass over a TJ array's body stops on the first byte of the first token
// that is neither a literal string nor a number, as Next reads them one by
// one: keywords that look like numbers, strings not closed and delimiters
// all stop it.
TEST(Scanner, StringsAndNumbersArePassedUpToTheFirstOtherToken) {
    const struct {
        std::string Content;
        size_t Stop;
    } cases[] = {
        {"(a)-250(b) 12 .5 -.25 +3 4.]TJ", 27},
        {"", 0},
        {"   ", 3},
        {"(a(b)c) (\\)) (\\\\)]", 17},
        {"(a)1.2.3]", 3},         // two periods: a keyword
        {"(a)-]", 3},             // a sign alone
        {"(a)+.]", 3},            // no digit
        {"(a)12a]", 3},           // letters after digits
        {"(a)1-2]", 3},           // a sign inside
        {"(a) (open", 4},         // not closed: Next tells it
        {"(a) (ends\\", 4},       // a backslash last
        {"(a)<41>]", 3},          // hexadecimal strings go through Next
        {"(a)/N]", 3},
        {"(a)%c\n(b)]", 3},       // comments too
        {"(a)[(b)]]", 3},
        {"(a)true]", 3},
        {"(a)\x80]", 3},          // a regular byte beyond ASCII
        {std::string("\t\r\n\f(x)\0 5]", 11), 10},
    };
    for (const auto& c : cases) {
        TScanner scanner(BytesOf(c.Content));
        scanner.PassStringsAndNumbers();
        EXPECT_EQ(scanner.Position(), c.Stop) << c.Content;
        // Read token by token, all that was passed is strings and numbers.
        TScanner tokens(BytesOf(c.Content));
        TScanToken token;
        for (tokens.Next(token); token.Type != TTokenType::End && token.Offset < c.Stop; tokens.Next(token))
            EXPECT_TRUE(token.Type == TTokenType::String || token.Type == TTokenType::Integer ||
                        token.Type == TTokenType::Real)
                << c.Content << " at " << token.Offset;
    }
}

// Long runs of strings and numbers go 64 bytes at a time: over thousands of
// generated runs, each mixing the bytes that matter, the pass stops exactly
// where Next meets its first token that is neither a string nor a number.
TEST(Scanner, StringsAndNumbersInBlocksStopWhereTokensSayAtEveryMix) {
    static const char* const Pieces[] = {"(word)", "-312", "83", "(a\\)b)", "(x(y)z)", "4.5", ".5", "+7", " ",  "\n",
                                         "(long string of text, longer than a word)", "\0", "1.2.3", "-", "a", "]",
                                         "(", "<41>", "12a", "(\\\\)", "0", "\xB5"};
    uint32_t seed = 12345;
    const auto next = [&seed](uint32_t Range) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % Range;
    };
    // Text as pdfTeX writes it, which blocks pass whole, with now and then
    // an item that is no number or a byte of another kind.
    static const char* const Plain[] = {"(word)", "-333", "(a)", "83", "4.5", ".5", "5.", "+7", " ", "\n", "0", "\t",
                                        "(of text)", "-", ".", "-.", "+.", "1.2.3", "12a", "]", "(", "<41>", "-+1"};
    for (int run = 0; run < 6000; ++run) {
        std::string content;
        // Mostly items the pass takes, now and then one that stops it.
        const size_t length = 20 + next(300);
        while (content.size() < length) {
            if (run % 3 == 2) {
                content += Plain[next(next(50) == 0 ? 23 : 13)];
                continue;
            }
            const size_t piece = next(run % 3 == 0 ? 22 : 13);
            content += piece == 11 ? std::string(1, '\0') : std::string(Pieces[piece]);
        }
        TScanner pass(BytesOf(content));
        pass.PassStringsAndNumbers();
        TScanner tokens(BytesOf(content));
        TScanToken token;
        do tokens.Next(token);
        while (token.Type == TTokenType::String || token.Type == TTokenType::Integer || token.Type == TTokenType::Real);
        ASSERT_EQ(pass.Position(), token.Offset) << content;
    }
}
