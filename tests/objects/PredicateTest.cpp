#include <gtest/gtest.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "objects/Model.h"
#include "objects/PredicateEval.h"
#include "syntax/Parser.h"

namespace lumerra::objects {
namespace {

TValue Parse(const std::string& Text) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(Text.data());
    return ParseValue(std::span<const uint8_t>(bytes, Text.size())).value_or(TValue());
}

struct TCase {
    std::string Expr;
    std::string Self;  // the object holding the row
    std::string Current;  // the row's value; empty when absent
    int Version;
    std::optional<bool> Expected;  // none: cannot be told
    bool Condition = false;  // read as a condition (Required) rather than an assertion
};

// The model's predicates as written in its cells, each against an object:
// three-valued, so that an absent input never passes or fails.
TEST(Predicate, EvaluatesTheModelsCells) {
    const TValue parent = Parse("<< /Width 10 >>");
    const std::vector<TCase> cases{
        {"fn:Eval(@Count>=0)", "<< /Count 3 >>", "", 17, true},
        {"fn:Eval(@Count>=0)", "<< /Count -1 >>", "", 17, false},
        {"fn:Eval(@Count>=0)", "<< >>", "", 17, std::nullopt},
        {"fn:Eval((@R==5) || (@R==6))", "<< /R 6 >>", "", 17, true},
        {"fn:Eval((@R==5) || (@R==6))", "<< >>", "", 17, std::nullopt},
        // Three-valued logic: a false side decides an "and" on its own.
        {"fn:Eval((@A==1) && (@B==2))", "<< /A 0 >>", "", 17, false},
        {"fn:Eval(@SubFilter==ETSI.RFC3161)", "<< /SubFilter /ETSI.RFC3161 >>", "", 17, true},
        {"fn:Eval(@Version==1.4)", "<< /Version /1.4 >>", "", 17, true},
        {"fn:Eval(@ExtensionRevision==':2022')", "<< /ExtensionRevision (:2022) >>", "", 17, true},
        {"fn:IsPresent(RT)", "<< /RT /R >>", "", 17, true},
        {"fn:SinceVersion(1.6,fn:IsPresent(RT))", "<< /RT /R >>", "", 15, false, true},
        {"fn:SinceVersion(1.6,fn:IsPresent(RT))", "<< /RT /R >>", "", 16, true, true},
        {"fn:Not(fn:IsPresent(@ImageMask==true))", "<< /ImageMask true >>", "/DeviceGray", 17, false},
        {"fn:Not(fn:IsPresent(@ImageMask==true))", "<< /ImageMask false >>", "/DeviceGray", 17, true},
        {"fn:Eval((fn:ArrayLength(Index) mod 2)==0)", "<< /Index [0 1 5] >>", "", 17, false},
        {"fn:ArraySortAscending(Index,2)", "<< /Index [0 3 5 2 9 1] >>", "", 17, true},
        {"fn:ArraySortAscending(Index,2)", "<< /Index [5 3 0 2] >>", "", 17, false},
        {"fn:Eval(fn:BitClear(13) && fn:BitsClear(15,32))", "<< >>", "4", 17, true},
        {"fn:Eval(fn:BitClear(13) && fn:BitsClear(15,32))", "<< >>", "4096", 17, false},
        // A version wrapper that does not hold passes an assertion.
        {"fn:Eval(fn:BeforeVersion(1.7,fn:BitsClear(10,32)) && fn:SinceVersion(1.7,fn:BitsClear(11,32)))", "<< >>",
         "1024", 17, false},
        {"fn:Eval(fn:BeforeVersion(1.7,fn:BitsClear(10,32)) && fn:SinceVersion(1.7,fn:BitsClear(11,32)))", "<< >>",
         "256", 15, true},
        {"fn:Eval((fn:RectWidth(Rect)>0) || (fn:RectHeight(Rect)>0))", "<< /Rect [5 5 5 5] >>", "", 17, false},
        {"fn:Eval(fn:StringLength(CheckSum)==16)", "<< /CheckSum (0123456789abcdef) >>", "", 17, true},
        {"fn:Eval(@Width==parent::@Width)", "<< /Width 10 >>", "", 17, true},
        {"fn:Contains(@Filter,JPXDecode)", "<< /Filter [/FlateDecode /JPXDecode] >>", "", 17, true},
        {"fn:Contains(@Filter,JPXDecode)", "<< /Filter /FlateDecode >>", "", 17, false},
        {"fn:IsPresent(AP::N::*)", "<< /AP << /N << /On 1 >> >> >>", "", 17, true},
        {"fn:IsPresent(AP::N::*)", "<< /AP << /N << >> >> >>", "", 17, false},
        {"fn:NotStandard14Font()", "<< /Subtype /Type1 /BaseFont /Helvetica >>", "", 17, false},
        {"fn:NotStandard14Font()", "<< /Subtype /Type1 /BaseFont /Minion >>", "", 17, true},
        {"fn:Eval(@DL>=(@Height - 1))", "<< /DL 4 /Height 5 >>", "", 17, true},
        {"fn:FontHasLatinChars()", "<< >>", "", 17, std::nullopt},
    };
    for (const TCase& c : cases) {
        const auto expr = ParsePredicate(c.Expr);
        ASSERT_TRUE(expr) << c.Expr;
        const TValue self = Parse(c.Self);
        const TValue current = c.Current.empty() ? TValue() : Parse(c.Current);
        const TValue* parents[] = {&parent};
        TScope scope;
        scope.Version = c.Version;
        scope.Self = &self;
        scope.Parents = parents;
        scope.Current = c.Current.empty() ? nullptr : &current;
        scope.Resolve = [](const TValue* V) { return V; };
        TPredicateCounts counts;
        TEvaluator evaluator(scope, counts, !c.Condition);
        EXPECT_EQ(evaluator.Truth(*expr), c.Expected) << c.Expr << " on " << c.Self;
    }
}

// Every cell of the model reads, and the checker evaluates at least 95 % of
// the predicate calls the model holds.
TEST(Predicate, CoversTheModel) {
    const TModel model;
    EXPECT_EQ(model.Damaged(), 0);
    EXPECT_GE(model.TypeCount(), 600u);
    const TModelCoverage coverage = model.Coverage();
    ASSERT_GT(coverage.Calls, 3000);
    EXPECT_GE(coverage.Evaluable * 100, coverage.Calls * 95) << coverage.Evaluable << " of " << coverage.Calls;
    const int32_t catalog = model.Find("Catalog");
    ASSERT_GE(catalog, 0);
    EXPECT_TRUE(model.Type(catalog).Keys.contains("Pages"));
    EXPECT_TRUE(model.Type(model.Find("ArrayOfPageTreeNodeKids")).Array);
    EXPECT_TRUE(model.Type(model.Find("XObjectImage")).Stream);
}

}  // namespace
}  // namespace lumerra::objects
