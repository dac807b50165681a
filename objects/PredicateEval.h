// The model's predicates evaluated against one object: what a key path
// names is looked up in the object, its parents or the trailer; versions
// against the file's. Anything that cannot be told (a key that is absent,
// a function the checker does not know) is Unknown, and an Unknown never
// passes or fails a check.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "objects/Model.h"
#include "syntax/Value.h"

namespace lumerra::objects {

struct TEvalValue {
    enum class TKind : uint8_t { Unknown, Boolean, Number, Text, Object };
    TKind Kind = TKind::Unknown;
    bool Truth = false;
    double Number = 0;
    std::string Text;  // a name's or string's bytes; a number literal's digits
    const TValue* Object = nullptr;  // an array, dictionary or stream
};

// What an expression sees: the object that holds the row, its parents
// (nearest first), the trailer and the row's own value.
struct TScope {
    int Version = 17;
    const TValue* Self = nullptr;
    const TModelType* SelfType = nullptr;  // for the defaults of absent keys
    std::span<const TValue* const> Parents;
    const TValue* Trailer = nullptr;
    const TValue* Current = nullptr;  // resolved; null when absent
    std::string_view CurrentKey;
    int64_t FileSize = 0;
    int32_t PageCount = 0;
    bool Encrypted = false;
    // Follows a reference to its object (null for a missing one); any other
    // value is returned as it is.
    std::function<const TValue*(const TValue*)> Resolve;
    // Whether the name tree Tree holds Key; none asks the tree itself
    // (the checker keeps each tree's keys once read).
    std::function<bool(const TValue* Tree, std::string_view Key)> NameTreeHolds;
};

// Predicate calls: evaluated to a result, evaluated without one (their
// inputs absent), and skipped (functions the checker does not know).
struct TPredicateCounts {
    int64_t Evaluated = 0;
    int64_t Undetermined = 0;
    int64_t Skipped = 0;
};

class TEvaluator {
public:
    // Assertion: a version wrapper that does not hold for the file passes
    // (SpecialCase, PossibleValues) rather than fails (Required, IndirectRef).
    TEvaluator(const TScope& Scope, TPredicateCounts& Counts, bool Assertion)
        : FScope(Scope), FCounts(Counts), FAssertion(Assertion) {}

    TEvalValue Eval(const TExpr& Expr);
    // True, false, or none when it cannot be told.
    std::optional<bool> Truth(const TExpr& Expr);

private:
    TEvalValue Call(const TExpr& Expr);
    TEvalValue Function(const TExpr& Expr);
    TEvalValue Binary(const TExpr& Expr);
    // The value a path (or a word taken as a key) names, resolved; null
    // when absent. Any is set for a "*" segment: whether its container has
    // an entry.
    const TValue* Walk(const TExpr& Path, std::optional<bool>* Any = nullptr);
    TEvalValue ValueOf(const TExpr& Path);
    bool Present(const TExpr& Path);
    const TValue* Resolve(const TValue* Value) const { return Value ? FScope.Resolve(Value) : nullptr; }

    const TScope& FScope;
    TPredicateCounts& FCounts;
    bool FAssertion;
};

// A literal of the model (a number, word, quoted string or boolean).
TEvalValue LiteralOf(const TExpr& Expr);
// Value as a predicate sees it.
TEvalValue FromValue(const TValue* Value);
// Whether two values are equal as the model compares them; none when one
// is Unknown or they cannot be compared.
std::optional<bool> Equal(const TEvalValue& A, const TEvalValue& B);

}  // namespace lumerra::objects
