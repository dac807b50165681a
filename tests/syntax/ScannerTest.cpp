// Where the scanner ends a literal string: it reads eight bytes at a time,
// so each string is tried at every alignment, with the byte that matters at
// every place of a word.
#include <gtest/gtest.h>

#include <string>

#include "syntax/Scanner.h"

using namespace lumerra;

namespace {

struct TCase {
    std::string String;  // from its "(" to its end
    TTokenType Type;
};

std::string Filler(size_t Length) { return std::string(Length, 'a'); }

}  // namespace

TEST(Scanner, LiteralStringsEndWhereTheyEndAtEveryAlignment) {
    for (size_t before = 0; before < 9; ++before)
        for (size_t at = 0; at < 18; ++at) {
            const TCase cases[] = {
                {"(" + Filler(at) + ")", TTokenType::String},
                {"(" + Filler(at) + "\\)" + Filler(3) + ")", TTokenType::String},
                {"(" + Filler(at) + "(" + Filler(2) + ")" + Filler(at) + ")", TTokenType::String},
                {"(" + Filler(at) + "\\\\)", TTokenType::String},
                {"(" + Filler(at) + "(" + Filler(at) + ")", TTokenType::Bad},
            };
            for (const TCase& c : cases) {
                const std::string content = std::string(before, ' ') + c.String + " Tj" + Filler(9);
                TScanner scanner({reinterpret_cast<const uint8_t*>(content.data()), content.size()});
                TScanToken token;
                scanner.Next(token);
                ASSERT_EQ(token.Type, c.Type) << content;
                const size_t end = c.Type == TTokenType::Bad ? content.size() : before + c.String.size();
                EXPECT_EQ(scanner.Position(), end) << content;
            }
        }
}
