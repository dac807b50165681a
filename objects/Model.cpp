#include "objects/Model.h"

#include <algorithm>
#include <array>

#include "objects/ModelTables.h"

namespace lumerra::objects {

namespace {

constexpr std::array<std::string_view, 18> BasicNames{
    "array", "bitmask", "boolean",     "date",   "dictionary", "integer",      "matrix",      "name",        "name-tree",
    "null",  "number",  "number-tree", "rectangle", "stream",  "string",       "string-ascii", "string-byte", "string-text"};

std::optional<TBasicType> BasicType(std::string_view Name) {
    for (size_t i = 0; i < BasicNames.size(); ++i)
        if (BasicNames[i] == Name) return static_cast<TBasicType>(i);
    return std::nullopt;
}

bool IsCall(const TExpr& Expr, std::string_view Name) {
    return Expr.Kind == TExpr::TKind::Call && Expr.Text == Name;
}

int VersionArg(const TExpr& Expr) { return Expr.Kind == TExpr::TKind::Number ? ParseVersion(Expr.Text) : 0; }

// Takes the version and extension wrappers off Expr, noting them in When.
// An extension's name alone (no statement) leaves a true.
TExpr Unwrap(TExpr Expr, TWhen& When) {
    for (;;) {
        if (Expr.Kind != TExpr::TKind::Call) return Expr;
        const bool twoArgs = Expr.Args.size() == 2;
        if (twoArgs && IsCall(Expr, "SinceVersion")) {
            When.Since = std::max(When.Since, VersionArg(Expr.Args[0]));
        } else if (twoArgs && IsCall(Expr, "BeforeVersion")) {
            When.Before = VersionArg(Expr.Args[0]);
        } else if (twoArgs && IsCall(Expr, "IsPDFVersion")) {
            When.Only = VersionArg(Expr.Args[0]);
        } else if (twoArgs && IsCall(Expr, "Deprecated")) {
            When.Deprecated = VersionArg(Expr.Args[0]);
        } else if (IsCall(Expr, "Extension") && !Expr.Args.empty()) {
            When.Extension = true;
            if (Expr.Args.size() == 1) {
                TExpr truth;
                truth.Kind = TExpr::TKind::Boolean;
                truth.Truth = true;
                return truth;
            }
        } else {
            return Expr;
        }
        TExpr inner = std::move(Expr.Args.back());
        Expr = std::move(inner);
    }
}

// The lowest version written in a SinceVersion cell ("1.7", or an
// extension's "fn:Eval(fn:Extension(X,1.7) || 2.0)"); 0 when none.
int LowestVersion(std::string_view Cell) {
    int lowest = 0;
    for (size_t i = 0; i + 3 <= Cell.size(); ++i) {
        const int version = ParseVersion(Cell.substr(i, 3));
        const bool alone = (i == 0 || Cell[i - 1] == ',' || Cell[i - 1] == ' ' || Cell[i - 1] == '(') &&
                           (i + 3 == Cell.size() || Cell[i + 3] == ')' || Cell[i + 3] == ',');
        if (version != 0 && alone && (lowest == 0 || version < lowest)) lowest = version;
    }
    return lowest;
}

bool IsIndex(std::string_view Key) {
    if (Key.empty()) return false;
    const size_t digits = Key.back() == '*' ? Key.size() - 1 : Key.size();
    if (digits == 0) return false;
    return std::all_of(Key.begin(), Key.begin() + static_cast<std::ptrdiff_t>(digits),
                       [](char C) { return C >= '0' && C <= '9'; });
}

class TBuilder {
public:
    TBuilder(TModelCoverage& Coverage, int32_t& Damaged) : FCoverage(Coverage), FDamaged(Damaged) {}

    std::optional<TExpr> Parse(std::string_view Text) {
        auto expr = ParsePredicate(Text);
        if (!expr) ++FDamaged;
        return expr;
    }

    // The cell's parts, one per alternative; Count when it holds one each,
    // else the one part given for all.
    static std::vector<std::string_view> Parts(std::string_view Cell, size_t Count, bool Bracketed) {
        std::vector<std::string_view> parts = Count > 1 ? SplitTopLevel(Cell, ';') : std::vector{Cell};
        if (Count > 1 || Bracketed)
            for (std::string_view& part : parts) part = StripBrackets(part);
        parts.resize(Count);
        return parts;
    }

    void Count(std::string_view Cell) {
        for (size_t at = Cell.find("fn:"); at != std::string_view::npos; at = Cell.find("fn:", at + 3)) {
            size_t end = at + 3;
            while (end < Cell.size() && Cell[end] != '(') ++end;
            ++FCoverage.Calls;
            if (IsEvaluable(Cell.substr(at + 3, end - at - 3))) ++FCoverage.Evaluable;
        }
    }

    TRow Row(uint32_t Index, std::vector<std::vector<std::string_view>>& LinkNames) {
        TRow row;
        const auto cell = [Index](TColumn Column) { return RawCell(Index, Column); };
        for (size_t c = 0; c < ColumnCount; ++c) Count(cell(static_cast<TColumn>(c)));
        row.Key = cell(TColumn::Key);
        if (row.Key == "*") {
            row.KeyKind = TRow::TKeyKind::Wildcard;
        } else if (IsIndex(row.Key)) {
            row.KeyKind = TRow::TKeyKind::Index;
            row.Repeats = row.Key.back() == '*';
            std::string_view digits = row.Key.substr(0, row.Key.size() - (row.Repeats ? 1 : 0));
            row.Index = 0;
            for (const char c : digits) row.Index = row.Index * 10 + (c - '0');
        }
        row.Since = LowestVersion(cell(TColumn::SinceVersion));
        row.Deprecated = ParseVersion(cell(TColumn::DeprecatedIn));
        row.Inheritable = cell(TColumn::Inheritable) == "TRUE";

        const std::string_view required = cell(TColumn::Required);
        if (required == "TRUE") {
            row.Required = TRow::TRule::Yes;
        } else if (required.starts_with("fn:")) {
            auto expr = Parse(required);
            if (expr && IsCall(*expr, "IsRequired") && expr->Args.size() == 1) {
                row.Required = TRow::TRule::When;
                row.RequiredWhen = std::move(expr->Args[0]);
            }
        }

        // The types, each maybe wrapped in a version.
        for (const std::string_view part : SplitTopLevel(cell(TColumn::Type), ';')) {
            TAlternative alternative;
            auto expr = Parse(part);
            if (!expr) continue;
            const TExpr inner = Unwrap(std::move(*expr), alternative.When);
            // "null" reads as the null literal.
            const auto type = inner.Kind == TExpr::TKind::Word ? BasicType(inner.Text)
                              : inner.Kind == TExpr::TKind::Null ? std::optional(TBasicType::Null)
                                                                 : std::nullopt;
            if (!type) {
                ++FDamaged;
                continue;
            }
            alternative.Type = *type;
            row.Alternatives.push_back(std::move(alternative));
        }
        const size_t count = row.Alternatives.size();
        LinkNames.assign(count, {});
        if (count == 0) return row;

        const std::string_view indirect = cell(TColumn::IndirectReference);
        if (indirect == "TRUE") {
            row.Indirect = TRow::TRule::Yes;
        } else if (indirect.starts_with("fn:")) {
            auto expr = Parse(indirect);
            if (expr && (IsCall(*expr, "MustBeDirect") || IsCall(*expr, "MustBeIndirect"))) {
                const bool direct = IsCall(*expr, "MustBeDirect");
                const TRow::TRule rule = expr->Args.empty() ? TRow::TRule::Yes : TRow::TRule::When;
                (direct ? row.Direct : row.Indirect) = rule;
                if (!expr->Args.empty()) row.IndirectWhen = std::move(expr->Args[0]);
            }
        } else if (indirect.starts_with("[")) {
            const auto parts = Parts(indirect, count, true);
            for (size_t i = 0; i < count; ++i) row.Alternatives[i].Indirect = parts[i] == "TRUE";
        }

        const auto links = Parts(cell(TColumn::Link), count, true);
        const auto possible = Parts(cell(TColumn::PossibleValues), count, true);
        const auto special = Parts(cell(TColumn::SpecialCase), count, true);
        const auto defaults = Parts(cell(TColumn::DefaultValue), count, false);
        for (size_t i = 0; i < count; ++i) {
            TAlternative& alternative = row.Alternatives[i];
            if (!links[i].empty())
                for (const std::string_view item : SplitTopLevel(links[i], ',')) LinkNames[i].push_back(item);
            if (!special[i].empty()) alternative.Special = Parse(special[i]);
            if (!defaults[i].empty() && !defaults[i].starts_with("fn:") && !defaults[i].starts_with("@")) {
                auto value = ParsePredicate(StripBrackets(defaults[i]));
                if (value && value->Kind != TExpr::TKind::Path && value->Kind != TExpr::TKind::Call)
                    alternative.Default = std::move(value);
            }
            if (!possible[i].empty()) alternative.Possible = PossibleValues(possible[i]);
        }
        return row;
    }

    // The allowed values; none (no check) when one of them does not parse.
    std::vector<TPossibleValue> PossibleValues(std::string_view Part) {
        std::vector<TPossibleValue> values;
        for (const std::string_view item : SplitTopLevel(Part, ',')) {
            TPossibleValue value;
            if (item == "*") {
                value.Kind = TPossibleValue::TKind::Wildcard;
                values.push_back(std::move(value));
                continue;
            }
            auto expr = Parse(item);
            if (!expr) return {};
            value.Expr = Unwrap(std::move(*expr), value.When);
            if (IsCall(value.Expr, "Eval") && value.Expr.Args.size() == 1) {
                value.Kind = TPossibleValue::TKind::Condition;
                TExpr inner = std::move(value.Expr.Args[0]);
                value.Expr = std::move(inner);
            } else if (IsCall(value.Expr, "RequiredValue") && value.Expr.Args.size() == 2) {
                value.Kind = TPossibleValue::TKind::RequiredValue;
            } else if (value.Expr.Kind == TExpr::TKind::Call || value.Expr.Kind == TExpr::TKind::Path) {
                return {};
            }
            values.push_back(std::move(value));
        }
        return values;
    }

    // A link item's target, with its version wrappers.
    TLinkTarget Link(std::string_view Item, const TModel& Model) {
        TLinkTarget target;
        auto expr = Parse(Item);
        if (!expr) return target;
        const TExpr inner = Unwrap(std::move(*expr), target.When);
        if (inner.Kind == TExpr::TKind::Word) target.Type = Model.Find(inner.Text);
        if (target.Type < 0) ++FDamaged;
        return target;
    }

private:
    TModelCoverage& FCoverage;
    int32_t& FDamaged;
};

}  // namespace

std::string_view BasicTypeName(TBasicType Type) { return BasicNames[static_cast<size_t>(Type)]; }

TModel::TModel() : FTypes(RawTypes().size()) {}

const TModelType& TModel::Type(int32_t Index) const {
    auto& slot = FTypes[static_cast<size_t>(Index)];
    if (slot) return *slot;
    const TRawType& raw = RawTypes()[static_cast<size_t>(Index)];
    TBuilder builder(FCoverage, FDamaged);
    auto type = std::make_unique<TModelType>();
    type->Name = raw.Name;
    bool indexed = false;
    std::vector<std::vector<std::string_view>> links;
    for (uint32_t r = 0; r < raw.RowCount; ++r) {
        TRow row = builder.Row(raw.FirstRow + r, links);
        for (size_t c = 0; c < ColumnCount; ++c)
            if (RawCell(raw.FirstRow + r, static_cast<TColumn>(c)).find("parent::") != std::string_view::npos)
                type->UsesParent = true;
        for (size_t a = 0; a < row.Alternatives.size(); ++a)
            for (const std::string_view item : links[a]) {
                TLinkTarget target = builder.Link(item, *this);
                if (target.Type >= 0) row.Alternatives[a].Links.push_back(target);
            }
        const auto at = static_cast<int32_t>(type->Rows.size());
        if (row.KeyKind == TRow::TKeyKind::Wildcard) type->Wildcard = at;
        if (row.KeyKind == TRow::TKeyKind::Index) {
            indexed = true;
            if (row.Repeats && type->FirstRepeat < 0) type->FirstRepeat = at;
            if (!row.Repeats) type->FixedElements = row.Index + 1;
        }
        if (row.KeyKind == TRow::TKeyKind::Name) type->Keys.emplace(row.Key, at);
        if (row.Required != TRow::TRule::No) type->MaybeRequired.push_back(at);
        const bool fixed = row.KeyKind != TRow::TKeyKind::Wildcard && !row.Repeats;
        if (fixed && (row.Required == TRow::TRule::Yes || row.Key == "Type" || row.Key == "Subtype"))
            type->Distinguishing.push_back(at);
        type->Rows.push_back(std::move(row));
    }
    const bool arrayName =
        type->Name.starts_with("ArrayOf") || type->Name.ends_with("Array") || type->Name.ends_with("ColorSpace");
    type->Array = indexed || (arrayName && type->Keys.empty());
    type->Stream = type->Keys.contains("DecodeParms") || type->Keys.contains("FFilter");
    slot = std::move(type);
    return *slot;
}

TModelCoverage TModel::Coverage() const {
    for (size_t t = 0; t < FTypes.size(); ++t) Type(static_cast<int32_t>(t));
    return FCoverage;
}

int32_t TModel::Damaged() const {
    Coverage();
    return FDamaged;
}

int32_t TModel::Find(std::string_view Name) const {
    const auto raw = RawTypes();
    const auto it = std::lower_bound(raw.begin(), raw.end(), Name,
                                     [](const TRawType& Type, std::string_view N) { return Type.Name < N; });
    return it != raw.end() && it->Name == Name ? static_cast<int32_t>(it - raw.begin()) : -1;
}

}  // namespace lumerra::objects
