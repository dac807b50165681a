// The bounded parser: values, references, indirect objects with their
// stream keyword, and the faults it answers instead of throwing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ByteSpan.h"
#include "syntax/Parser.h"

using namespace lumerra;
using lumerra::test::BytesOf;

namespace {

// A value written back in a compact form of its own.
std::string Show(const TValue& V) {
    switch (V.Kind()) {
        case TValue::TKind::Null: return "null";
        case TValue::TKind::Boolean: return V.AsBoolean() ? "true" : "false";
        case TValue::TKind::Integer: return std::to_string(V.AsInteger());
        case TValue::TKind::Real: return "r" + std::to_string(V.AsInteger());
        case TValue::TKind::String: return "(" + V.Text() + ")";
        case TValue::TKind::Name: return NormalName(V.Text());
        case TValue::TKind::Reference:
            return std::to_string(V.AsReference().Number) + "R" + std::to_string(V.AsReference().Generation);
        case TValue::TKind::Array: {
            std::string s = "[";
            for (const TValue& item : V.Items()) s += (s.size() > 1 ? " " : "") + Show(item);
            return s + "]";
        }
        case TValue::TKind::Dictionary:
        case TValue::TKind::Stream: {
            std::string s = V.Is(TValue::TKind::Stream) ? "stream@" + std::to_string(V.StreamDataOffset()) + "{" : "{";
            for (const auto& [key, value] : V.Entries()) s += NormalName(key) + "=" + Show(value) + ";";
            return s + "}";
        }
    }
    return "?";
}

std::string Parsed(const std::string& Text, bool Final = true, TParseLimits Limits = {}) {
    TTokenizer tokens(BytesOf(Text));
    TParser parser(tokens, Limits, Final);
    TValue value;
    switch (parser.ReadValue(value)) {
        case TParseFault::None: return Show(value);
        case TParseFault::NeedMore: return "need more";
        case TParseFault::Damaged: return "damaged at " + std::to_string(parser.FaultOffset());
        case TParseFault::TooDeep: return "too deep";
        case TParseFault::TooManyItems: return "too many";
    }
    return "?";
}

}  // namespace

TEST(Parser, ReadsValuesWithinTheLimits) {
    struct Case {
        std::string Input, Value;
        TParseLimits Limits = {};
    };
    const std::vector<Case> cases = {
        {"null", "null"},
        {"true", "true"},
        {"-12", "-12"},
        {"1.5", "r1"},
        {"(a b)", "(a b)"},
        {"<4142>", "(AB)"},
        {"/Im#33", "/Im3"},
        {"12 0 R", "12R0"},
        {"[1 2 R 3 0 R 4]", "[1R2 3R0 4]"}, {"[1 2 3]", "[1 2 3]"},
        {"<< /A << /CA 1 /ca 1 >> /B 5 0 R >>", "{/A={/CA=1;/ca=1;};/B=5R0;}"},
        {"<< /CS0 /DeviceRGB /CS1 7 0 R >>", "{/CS0=/DeviceRGB;/CS1=7R0;}"},
        {"<< /Last >>", "{/Last=null;}"},
        {"<< /A 1 /A 2 >>", "{/A=1;/A=2;}"},
        // A damaged value inside a container reads as null; the keywords
        // that frame objects, a key that is no name, and damage at the top
        // level are faults, told where they were found.
        {"<< /T \x05Zalog /Pages 3 0 R >>", "{/T=null;/Pages=3R0;}"},
        {"[1 foo ) 2]", "[1 null null 2]"},
        {"<< 1 2 >>", "damaged at 3"},
        {"[1 endobj]", "damaged at 3"},
        {"foo", "damaged at 0"},
        {"-1 0 R", "damaged at 0"},
        {"> 1", "damaged at 0"},
        // The limits bound nesting and items.
        {std::string(32, '[') + std::string(32, ']'), std::string(32, '[') + std::string(32, ']')},
        {std::string(33, '[') + std::string(33, ']'), "too deep"},
        {"<< /A " + std::string(40, '['), "too deep"},
        {"[1 2 3]", "too many", {.Depth = 4, .Items = 3}},
        {"[1 2]", "[1 2]", {.Depth = 4, .Items = 3}},
    };
    for (const Case& c : cases) EXPECT_EQ(Parsed(c.Input, true, c.Limits), c.Value) << c.Input;
    // Lookups: the last of repeated keys wins; a stream answers as a dictionary.
    EXPECT_EQ(ParseValue(BytesOf("<< /A 1 /A 2 >>"))->Find("A")->AsInteger(), 2);
    EXPECT_EQ(ParseValue(BytesOf("[1]"))->Find("A"), nullptr);
}

TEST(Parser, AWindowCutShortAsksForMoreUnlessItIsAll) {
    struct Case {
        std::string Input;
        bool Final;
        std::string Value;
    };
    const std::vector<Case> cases = {
        {"12", false, "need more"},  // it may go on as "12 0 R"
        {"12", true, "12"},
        {"12 0", false, "need more"},
        {"12 0", true, "12"},
        {"<< /A [1 2", false, "need more"},
        {"<< /A [1 2", true, "need more"},
        {"(abc", false, "need more"},
        {"<41", false, "need more"},
        {"/Na", true, "/Na"},
        {"<< /A 1 >", false, "need more"},  // ">>" cut in two
    };
    for (const Case& c : cases) EXPECT_EQ(Parsed(c.Input, c.Final), c.Value) << c.Input << " final " << c.Final;
}

TEST(Parser, IndirectObjects) {
    struct Case {
        std::string Input;
        bool Final;
        std::string Result;
    };
    const auto read = [](const std::string& Text, bool Final) -> std::string {
        TTokenizer tokens(BytesOf(Text), 100);
        TParser parser(tokens, {}, Final);
        TIndirectObject object;
        const TParseFault fault = parser.ReadIndirectObject(object);
        if (fault == TParseFault::NeedMore) return "need more";
        if (fault != TParseFault::None) return "damaged at " + std::to_string(parser.FaultOffset());
        return std::to_string(object.Ref.Number) + " " + std::to_string(object.Ref.Generation) + " " +
               Show(object.Value);
    };
    const std::vector<Case> cases = {
        {"3 0 obj << /Type /Page >> endobj", false, "3 0 {/Type=/Page;}"},
        {"7 2 obj\n<< /Length 3 >>\nstream\nabc\nendstream", false, "7 2 stream@130{/Length=3;}"},
        {"4 0 obj 42 endobj", false, "4 0 42"},
        {"4 0 obj 42", false, "need more"},
        {"4 0 obj 42", true, "4 0 42"},
        {"4 0 obj 42 5 0 obj", false, "4 0 42"},  // a missing endobj is forgiven
        {"4 0 obj [1] stream", false, "damaged at 112"},
        {"4 0 ovj 1 endobj", false, "4 0 1"},  // a damaged keyword, passed over
        {"4 0 << /A 1 >> endobj", false, "4 0 {/A=1;}"},  // a missing one
        {"4 0", false, "need more"},
        {"4 0 obj << /A <00> >", false, "need more"},  // ">>" cut in two by the window
        {"-4 0 obj 1 endobj", false, "damaged at 100"},
    };
    for (const Case& c : cases) EXPECT_EQ(read(c.Input, c.Final), c.Result) << c.Input;
    // A window may end anywhere, even inside "stream" or a name: a part of
    // an object either asks for more or reads as the whole object does.
    for (const std::string whole : {"457 0 obj\n<</Length 458 0 R/Filter /FlateDecode>>\nstream\nxyz\nendstream",
                                    "5 0 obj << /Kids [1 0 R 2 0 R] /Type /Pages /Count 12 >> endobj 6 0 obj"}) {
        const std::string expected = read(whole, false);
        for (size_t cut = 1; cut < whole.size(); ++cut) {
            const std::string part = read(whole.substr(0, cut), false);
            if (part != "need more") {
                EXPECT_EQ(part, expected) << "cut at " << cut;
            }
        }
    }
}
