// The model's predicate language read into trees: function calls
// (fn:Name(...)), key paths (Key, @Key, parent::@Key, trailer::Catalog::Names),
// literals, comparisons, arithmetic and the two logical operators. Cells
// are parsed once, when the model is built; Evaluate (PredicateEval) walks
// the trees against an object.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumerra::objects {

struct TExpr {
    enum class TKind : uint8_t { Number, Word, Text, Boolean, Null, Path, Call, Binary, ArrayLiteral };
    TKind Kind = TKind::Null;
    // A literal's text as written (a number's digits, a word, a quoted
    // string's inside), a function's name without "fn:", an operator.
    std::string Text;
    double Number = 0;
    bool Truth = false;
    // A path: its segments, and whether the last one is a value (@Key)
    // rather than a presence.
    std::vector<std::string> Segments;
    bool ValueOf = false;
    std::vector<TExpr> Args;  // a call's arguments, an operator's two sides
};

// One expression; none when Text is not one.
std::optional<TExpr> ParsePredicate(std::string_view Text);

// Text split on Separator where it stands outside brackets, parentheses and
// quotes.
std::vector<std::string_view> SplitTopLevel(std::string_view Text, char Separator);
// Text without one pair of square brackets that encloses all of it.
std::string_view StripBrackets(std::string_view Text);
// "1.7" as 17, "2.0" as 20; 0 when Text is no PDF version.
int ParseVersion(std::string_view Text);
// Whether Evaluate knows the function (name without "fn:").
bool IsEvaluable(std::string_view Function);

}  // namespace lumerra::objects
