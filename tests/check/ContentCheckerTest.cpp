// The content check on one stream: each finding code on content written
// for it, clean content that must find nothing, and hostile streams.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FindingLine.h"
#include "check/ContentChecker.h"
#include "check/OperatorTable.h"

using namespace lumerra::check;

namespace {

TResourceNames Resources() {
    TResourceNames names;
    names.Declare(TResourceCategory::Font, "F1", {});
    names.Declare(TResourceCategory::XObject, "Im1", {});
    names.Declare(TResourceCategory::ExtGState, "GS1", {});
    names.Declare(TResourceCategory::ColorSpace, "CS0", {.Space = TColourSpace::Device(3)});
    names.Declare(TResourceCategory::ColorSpace, "CSP", {.Space = TColourSpace::PatternOf(3)});
    names.Declare(TResourceCategory::Pattern, "P1", {});
    names.Declare(TResourceCategory::Pattern, "PC", {.PaintType = TPaintType::Coloured});
    names.Declare(TResourceCategory::Pattern, "PU", {.PaintType = TPaintType::Uncoloured});
    names.Declare(TResourceCategory::Font, "FI", {.Fault = TResourceFault::WrongType, .FoundKind = "integer"});
    names.Declare(TResourceCategory::Font, "FU", {.Object = 19, .Fault = TResourceFault::Unreadable});
    names.Declare(TResourceCategory::Shading, "Sh1", {});
    names.Declare(TResourceCategory::Properties, "MC0", {});
    return names;
}

// "code(operator)" of each finding, in order.
std::vector<std::string> Findings(const std::string& Content, TPageFindings* Out = nullptr) {
    TResourceNames names = Resources();
    TPageFindings findings(1);
    TContentChecker checker(names, findings);
    checker.Check({reinterpret_cast<const uint8_t*>(Content.data()), Content.size()}, 5);
    checker.Finish();
    std::vector<std::string> codes;
    for (const TFinding& f : findings.Kept())
        codes.push_back(std::string(CodeName(f.Code)) + (f.Severity == TSeverity::Warning ? "!" : "") + "(" +
                        f.Operator + ")");
    if (Out != nullptr) *Out = findings;
    return codes;
}

struct TCase {
    const char* What;
    std::string Content;
    std::vector<std::string> Expected;  // "!" marks a warning
};

std::string Repeat(const std::string& Text, int Times) {
    std::string out;
    for (int i = 0; i < Times; ++i) out += Text;
    return out;
}

const std::vector<TCase> Cases = {
    // Content as producers write it finds nothing.
    {"clean page",
     "q 1 0 0 1 0 0 cm BT /F1 12 Tf 10 10 Td (Hi) Tj [(a) -2 (b)] TJ 2 TL T* (x) ' 1 2 (y) \" ET Q\n"
     "0 0 m 10 10 l 5 5 5 5 5 5 c S 0 0 10 10 re W n /GS1 gs /CS0 cs 0.1 0.2 0.3 sc 1 0 0 RG 0 g 0 0 0 1 K\n"
     "/Im1 Do /Tag /MC0 BDC /Tag <</MCID 0>> BDC EMC EMC /Tag BMC EMC /Tag MP /Tag /MC0 DP\n"
     "BX foo 1 2 bar EX /Sh1 sh /CSP cs 1 0 0 /P1 scn /Pattern CS /P1 SCN [3 1] 0 d 1 j 0 J 4 M 1 w /Perceptual ri\n"
     "BT /F1 1 Tf 0 Tr 1 Tc 1 Tw 100 Tz 0 Ts 1 0 0 1 0 0 Tm 1 1 TD ET % a comment\n"
     "BI /W 2 /H 1 /BPC 8 /CS /RGB ID\nabcdef EI",
     {}},

    {"Q without q", "q Q Q", {"save-restore(Q)"}},
    {"q left open", "q q Q", {"save-restore(q)"}},
    {"q nested too deep", Repeat("q ", 29) + Repeat("Q ", 29), {"save-restore!(q)"}},

    {"BT inside BT and ET without BT", "BT BT ET ET", {"text-object(BT)", "text-object(ET)"}},
    {"BT left open", "BT", {"text-object(BT)"}},

    {"EMC without BMC", "EMC", {"marked-content(EMC)"}},
    {"BDC left open", "/Tag /MC0 BDC", {"marked-content(BDC)"}},

    {"EX without BX", "EX", {"compatibility(EX)"}},
    {"BX left open", "BX", {"compatibility(BX)"}},

    {"too few operands", "1 m", {"operand-count(m)"}},
    {"too many operands", "1 2 3 4 rg", {"operand-count(rg)"}},
    {"colour count by the current space", "/CS0 cs 0.5 sc 0.5 sc", {"operand-count(sc)", "operand-count(sc)"}},
    {"gray is the first colour space", "1 0 0 SC 0.5 SC", {"operand-count(SC)"}},
    {"pattern without its name", "/CSP cs 1 0 0 scn", {"operand-count(scn)"}},

    {"wrong operand type", "(a) 2 m", {"operand-type(m)"}},
    {"integer operand", "1.5 j", {"operand-type(j)"}},
    {"TJ with a name in it", "BT /F1 1 Tf [(a) /b] TJ ET", {"operand-type(TJ)"}},
    {"pattern name outside a pattern space", "/P1 scn", {"operand-type(scn)"}},

    {"unknown operator", "1 2 foo", {"unknown-operator(foo)"}},

    {"undeclared font", "BT /F9 12 Tf ET", {"undeclared-resource(Tf)"}},
    {"undeclared names of each kind",
     "/Im9 Do /GS9 gs /X cs /Sh9 sh /T /MC9 BDC EMC /Pattern cs /P9 scn",
     {"undeclared-resource(Do)", "undeclared-resource(gs)", "undeclared-resource(cs)", "undeclared-resource(sh)",
      "undeclared-resource(BDC)", "undeclared-resource(scn)"}},
    {"built-in colour spaces", "/DeviceRGB cs /DeviceCMYK CS /DeviceGray cs /Pattern CS", {}},

    {"text showing outside BT", "/F1 1 Tf (a) Tj 1 2 Td", {"text-outside-text-object(Tj)", "text-outside-text-object(Td)"}},

    {"painting, clipping or ending no path: warnings", "S f W n", {"operator-placement!(S)", "operator-placement!(f)", "operator-placement!(W)", "operator-placement!(n)"}},
    {"ending no path, as TikZ does", "q Q n", {"operator-placement!(n)"}},
    {"line without a current point", "1 1 l S", {"operator-placement(l)"}},
    {"q, cm and Do in a text object", "BT q 1 0 0 1 0 0 cm /Im1 Do Q ET",
     {"operator-placement(q)", "operator-placement(cm)", "operator-placement(Do)", "operator-placement(Q)"}},
    {"state inside a path, told once: the path stays", "0 0 m /GS1 gs 1 g S 0 0 1 1 re 1 w f", {"operator-placement(gs)", "operator-placement(g)", "operator-placement(w)"}},
    {"a path left open", "0 0 m 1 1 l", {"operator-placement()"}},
    {"a path begun with bad operands is no path", "1 m", {"operand-count(m)"}},
    {"text before any Tf, told once", "BT (a) Tj (b) Tj ET BT /F1 1 Tf (c) Tj ET", {"operator-placement(Tj)"}},
    {"values out of range", "0 J 2 j 3 J -1 j 7 Tr 8 Tr /Perceptual ri /Vivid ri",
     {"operand-value(J)", "operand-value(j)", "operand-value(Tr)", "operand-value!(ri)"}},
    {"a coloured pattern takes its name alone", "/CSP cs /PC scn /CSP cs 1 2 3 /PC scn /PU scn 1 2 3 /PU scn",
     {"operand-count(scn)", "operand-count(scn)"}},
    {"a resource of the wrong type or unreadable", "BT /FI 1 Tf /FU 1 Tf ET", {"bad-resource(Tf)", "bad-resource(Tf)"}},
    {"fonts named in turn, told each time they are wrong",
     "BT /F1 1 Tf /F9 1 Tf /FI 1 Tf /F1 1 Tf /F9 1 Tf /FU 1 Tf /FI 1 Tf /G1 1 Tf /F1 1 Tf /F 1 Tf ET",
     {"undeclared-resource(Tf)", "bad-resource(Tf)", "undeclared-resource(Tf)", "bad-resource(Tf)", "bad-resource(Tf)",
      "undeclared-resource(Tf)", "undeclared-resource(Tf)"}},
    {"an unknown operator as its bytes", "a\x01#\\b", {"unknown-operator(a\\x01#\\x5Cb)"}},
    {"glyph operator on a page", "0 0 d0", {"operator-placement(d0)"}},
    {"EI without BI", "EI", {"operator-placement(EI)"}},

    {"image length from its dimensions", "BI /W 2 /H 2 /BPC 8 /CS /G ID 12 EI", {"inline-image(BI)"}},
    {"image without EI", "BI /W 1 /H 1 /BPC 8 /CS /G /F /AHx ID 00", {"inline-image(BI)"}},
    {"image data with EI among other bytes", "q BI /W 1 /H 1 /BPC 8 /CS /G /F /AHx ID 00 EIx> EI Q", {}},
    {"image with /L", "BI /W 1 /H 1 /BPC 8 /CS /G /F /Fl /L 4 ID a EI EI Q", {"save-restore(Q)"}},
    {"image with a wrong /L", "BI /W 1 /H 1 /BPC 8 /CS /G /F /Fl /L 9 ID abc EI", {"inline-image(BI)"}},
    {"image without its required keys", "BI /Foo 1 ID x EI",
     {"inline-image!(BI)", "inline-image(BI)", "inline-image(BI)", "inline-image(BI)", "inline-image(BI)"}},
    {"image colour space from the resources", "BI /W 1 /H 1 /BPC 8 /CS /CS0 ID abc EI BI /W 1 /H 1 /BPC 8 /CS /CSX ID a EI",
     {"undeclared-resource(BI)"}},

    {"unterminated string", "(abc", {"syntax()"}},
    {"bad hexadecimal string", "BT /F1 1 Tf <12G4> Tj ET", {"syntax()", "operand-count(Tj)"}},
    {"array not closed", "BT /F1 1 Tf [(a) TJ ET", {"syntax()"}},
    {"array holding a run that is no number", "BT /F1 1 Tf [(a)-1.2.3(b)] TJ ET",
     {"syntax()", "unknown-operator(-1.2.3)", "syntax()", "operand-type(TJ)"}},
    {"array holding a string not closed", "BT /F1 1 Tf [(a)-2(b\\)] TJ ET", {"syntax()", "syntax()", "text-object(BT)"}},
    {"array holding a string after a comment", "BT /F1 1 Tf [(a)%c\n(b) -2 (c)] TJ ET", {}},
    {"closers without openers", "] >> )", {"syntax()", "syntax()", "syntax()"}},
    {"operands without an operator", "1 2", {"syntax()"}},
};

TEST(ContentChecker, EachCaseFindsWhatItWasWrittenFor) {
    for (const TCase& c : Cases) EXPECT_EQ(Findings(c.Content), c.Expected) << c.What << ": " << c.Content;
}

TEST(ContentChecker, FindingsTellWhereTheyAre) {
    TPageFindings findings;
    Findings("q Q\nQ", &findings);
    ASSERT_EQ(findings.Kept().size(), 1u);
    EXPECT_EQ(FormatFinding(findings.Kept()[0]), "page 1, object 5, offset 4: error save-restore (Q): 対応する q のない Q です。");
}

// A page's /Contents is one content: a part may end anywhere between
// tokens (InDesign between "[" and "]0 d", LiveCycle inside a BDC's
// dictionary). A finding names the part and the offset inside it, the
// operator's, with the operand's beside it.
TEST(ContentChecker, PartsAreOneContentAndFindingsNameTheirPart) {
    TResourceNames names = Resources();
    TPageFindings findings(1);
    TContentChecker checker(names, findings);
    const std::string joined = "q [\n]0 d /Tag <<\n/MCID 1 >>BDC EMC (a)\n 2 m S Q\n";
    const std::vector<TContentPart> parts = {{0, 4}, {4, 5}, {17, 6}, {39, 7}};
    checker.Check({reinterpret_cast<const uint8_t*>(joined.data()), joined.size()}, parts);
    checker.Finish();
    std::vector<std::string> told;
    for (const TFinding& f : findings.Kept()) told.push_back(FormatFinding(f));
    const std::vector<std::string> expected = {
        // The operand stands in another part: only the operator's place.
        "page 1, object 7, offset 3: error operand-type (m): 1 番目のオペランドは数値でなければなりません。",
        "page 1, object 7, offset 5: warning operator-placement (S): 描画するパスがありません。",
    };
    EXPECT_EQ(told, expected);
}

TEST(ContentChecker, TheOperandOffsetStandsBesideTheOperators) {
    const std::string content = "BT /F1 1 Tf ET 0 0 /X 1 re";
    TPageFindings findings;
    Findings(content, &findings);
    ASSERT_EQ(findings.Kept().size(), 1u);
    EXPECT_EQ(FormatFinding(findings.Kept()[0]),
              "page 1, object 5, offset 24, operand-offset 19: error operand-type (re): 3 番目のオペランドは数値でなければなりません。");
}

TEST(ContentChecker, NamesOutliveTheBufferOfTheirStream) {
    // A page's streams are decoded one after the other into one buffer: a
    // name its operator meets only in the next stream is still told whole.
    TResourceNames names = Resources();
    TPageFindings findings(1);
    TContentChecker checker(names, findings);
    std::string buffer;
    for (const auto& [stream, object] : {std::pair{"/Nope 12", 4}, {"Tf /Bad#20Name", 5}, {"gs", 6}}) {
        buffer.assign(stream);
        checker.Check({reinterpret_cast<const uint8_t*>(buffer.data()), buffer.size()}, object);
        buffer.assign(buffer.size(), 'x');
    }
    checker.Finish();
    std::vector<std::string> told;
    for (const TFinding& f : findings.Kept()) told.push_back(FormatFinding(f));
    const std::vector<std::string> expected = {
        "page 1, object 5, offset 0: error undeclared-resource (Tf): リソース /Font に /Nope が宣言されていません。",
        "page 1, object 6, offset 0: error undeclared-resource (gs): リソース /ExtGState に /Bad#20Name が宣言されていません。",
    };
    EXPECT_EQ(told, expected);
}

TEST(ContentChecker, HostileStreamsCostBoundedFindingsAndFinish) {
    TPageFindings findings;
    // A million Q without q: every one counted, only the first kept.
    Findings(Repeat("Q ", 1'000'000), &findings);
    EXPECT_EQ(findings.Kept().size(), TPageFindings::DefaultLimit);
    EXPECT_EQ(findings.Omitted(), 1'000'000 - static_cast<int64_t>(TPageFindings::DefaultLimit));
    EXPECT_EQ(findings.Count(TSeverity::Error), 1'000'000);
    // Millions of operands, deep arrays, deep q, an image that never ends.
    EXPECT_EQ(Findings(Repeat("1 ", 2'000'000) + "m"), std::vector<std::string>{"operand-count(m)"});
    EXPECT_EQ(Findings(Repeat("[", 500'000) + Repeat("]", 500'000) + " pop"),
              std::vector<std::string>{"unknown-operator(pop)"});
    EXPECT_EQ(Findings(Repeat("q ", 100'000) + Repeat("Q ", 100'000)), std::vector<std::string>{"save-restore!(q)"});
    EXPECT_EQ(Findings("BI /W 1 /H 1 ID " + Repeat("E I EIx ", 100'000)).size(), 3u);
}

TEST(OperatorTable, HoldsTheSeventyThreeOperatorsAndNoOther) {
    EXPECT_EQ(AllOperators().size(), 73u);
    for (const TOperator& op : AllOperators()) EXPECT_EQ(FindOperator(op.Name), &op) << op.Name;
    for (const char* absent : {"", "BTX", "q Q", "ri*", "Bx"}) EXPECT_EQ(FindOperator(absent), nullptr) << absent;
    EXPECT_EQ(FindOperator("\"")->Operands, "nns");
}

TEST(Finding, NamesAndOperatorsKeepTheLineWhole) {
    EXPECT_EQ(PrintableOperator("Tj"), "Tj");
    EXPECT_EQ(PrintableName(std::string("a\x01#\xff", 4)), "a#01#23#FF");
    EXPECT_EQ(PrintableOperator(std::string("a\x01#\\\xff", 5)), "a\\x01#\\x5C\\xFF");
    EXPECT_EQ(PrintableOperator(std::string(40, 'x')), std::string(32, 'x') + "...");
}

}  // namespace
