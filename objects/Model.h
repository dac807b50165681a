// The Arlington PDF Model's tables read into rows that the checker can use:
// each cell split into its alternatives (one per type a key may have), the
// version wrappers taken apart, and each predicate parsed once.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "objects/Predicate.h"

namespace lumerra::objects {

enum class TBasicType : uint8_t {
    Array,
    Bitmask,
    Boolean,
    Date,
    Dictionary,
    Integer,
    Matrix,
    Name,
    NameTree,
    Null,
    Number,
    NumberTree,
    Rectangle,
    Stream,
    String,
    StringAscii,
    StringByte,
    StringText
};
std::string_view BasicTypeName(TBasicType Type);

// When a type, a value or a link holds: since, before or only in a version,
// deprecated since one, or only under an extension. 0 where not said.
struct TWhen {
    int Since = 0;
    int Before = 0;
    int Only = 0;
    int Deprecated = 0;
    bool Extension = false;
};

struct TLinkTarget {
    int32_t Type = -1;  // an index into TModel::Types()
    TWhen When;
};

struct TPossibleValue {
    enum class TKind : uint8_t { Literal, Wildcard, Condition, RequiredValue };
    TKind Kind = TKind::Literal;
    TExpr Expr;  // the literal, the condition, or RequiredValue's call
    TWhen When;
};

// One of the types a key may have, with what holds for a value of it.
struct TAlternative {
    TBasicType Type = TBasicType::Null;
    TWhen When;
    std::vector<TLinkTarget> Links;
    std::vector<TPossibleValue> Possible;
    std::optional<TExpr> Special;
    std::optional<bool> Indirect;  // from a per-type [TRUE];[FALSE] cell
    std::optional<TExpr> Default;  // a plain literal only
};

struct TRow {
    enum class TKeyKind : uint8_t { Name, Index, Wildcard };
    enum class TRule : uint8_t { No, Yes, When };  // FALSE, TRUE, a condition
    std::string_view Key;
    TKeyKind KeyKind = TKeyKind::Name;
    int32_t Index = -1;
    bool Repeats = false;  // "0*": a group of elements repeated
    int Since = 0;         // 0 when only an extension's
    int Deprecated = 0;
    TRule Required = TRule::No;
    std::optional<TExpr> RequiredWhen;
    TRule Indirect = TRule::No;  // must be an indirect reference
    TRule Direct = TRule::No;    // must be a direct value
    std::optional<TExpr> IndirectWhen;
    bool Inheritable = false;
    std::vector<TAlternative> Alternatives;
};

struct TModelType {
    std::string_view Name;
    std::vector<TRow> Rows;
    bool Array = false;   // rows are element indices
    bool Stream = false;  // a stream's dictionary
    int32_t Wildcard = -1;
    int32_t FirstRepeat = -1;  // the first "N*" row
    int32_t FixedElements = 0;
    std::unordered_map<std::string_view, int32_t> Keys;
    // Rows that may be required, and rows that tell types apart (required
    // ones, Type and Subtype), as indices into Rows.
    std::vector<int32_t> MaybeRequired;
    std::vector<int32_t> Distinguishing;
    bool UsesParent = false;  // a predicate looks at "parent::"
};

// How many predicate calls the model's cells hold, and how many of them
// are of functions the checker evaluates.
struct TModelCoverage {
    int64_t Calls = 0;
    int64_t Evaluable = 0;
};

// The types are read from the compiled tables when first asked for, so that
// a file that uses a few dozen of them pays for those only. One model
// serves one thread at a time.
class TModel {
public:
    TModel();

    size_t TypeCount() const { return FTypes.size(); }
    const TModelType& Type(int32_t Index) const;
    // The type's index, or -1.
    int32_t Find(std::string_view Name) const;
    // Over every type (all are read): the predicate calls, and the cells
    // that did not parse (kept as no condition).
    TModelCoverage Coverage() const;
    int32_t Damaged() const;

private:
    mutable std::vector<std::unique_ptr<TModelType>> FTypes;
    mutable TModelCoverage FCoverage;
    mutable int32_t FDamaged = 0;
};

}  // namespace lumerra::objects
