#include "objects/LinkChoice.h"

#include <algorithm>
#include <tuple>

#include "objects/PredicateEval.h"

namespace lumerra::objects {

namespace {

struct TFit {
    int32_t Type = -1;
    int Matched = 0;
    int Missing = 0;
    bool InVersion = true;
    int Known = 0;
    auto Rank() const { return std::make_tuple(Matched, -Missing, InVersion, Known); }
};

bool Holds(const TWhen& When, int Version) {
    return (When.Since == 0 || Version >= When.Since) && (When.Before == 0 || Version < When.Before) &&
           (When.Only == 0 || Version == When.Only);
}

}  // namespace

bool KindMatches(TBasicType Type, const TValue& Value) {
    using V = TValue::TKind;
    switch (Type) {
    case TBasicType::Array:
    case TBasicType::Rectangle:
    case TBasicType::Matrix:
        return Value.Is(V::Array);
    case TBasicType::Bitmask:
    case TBasicType::Integer:
        return Value.Is(V::Integer);
    case TBasicType::Number:
        return Value.IsNumber();
    case TBasicType::Boolean:
        return Value.Is(V::Boolean);
    case TBasicType::Date:
    case TBasicType::String:
    case TBasicType::StringAscii:
    case TBasicType::StringByte:
    case TBasicType::StringText:
        return Value.Is(V::String);
    case TBasicType::Dictionary:
    case TBasicType::NameTree:
    case TBasicType::NumberTree:
        return Value.Is(V::Dictionary);
    case TBasicType::Stream:
        return Value.Is(V::Stream);
    case TBasicType::Name:
        return Value.Is(V::Name);
    case TBasicType::Null:
        return Value.IsNull();
    }
    return false;
}

static std::vector<TFit> Fits(const TModel& Model, const std::vector<TLinkTarget>& Targets, const TValue& Value,
                       const TResolve& Resolve, int Version, int Depth) {
    const bool isArray = Value.Is(TValue::TKind::Array);
    const bool isStream = Value.Is(TValue::TKind::Stream);
    std::vector<TFit> fits;
    for (const TLinkTarget& target : Targets) {
        const TModelType& type = Model.Type(target.Type);
        if (type.Array != isArray || (!isArray && type.Stream != isStream)) continue;
        TFit fit;
        fit.Type = target.Type;
        fit.InVersion = Holds(target.When, Version);
        bool out = false;
        // Entries the type defines, counted as written.
        if (isArray) {
            fit.Known = static_cast<int>(std::min<size_t>(Value.Items().size(), static_cast<size_t>(type.FixedElements)));
        } else {
            for (const auto& [key, raw] : Value.Entries())
                if (!raw.IsNull() && type.Keys.contains(key)) ++fit.Known;
        }
        for (const int32_t index : type.Distinguishing) {
            const TRow& row = type.Rows[static_cast<size_t>(index)];
            const TValue* raw = nullptr;
            if (isArray) {
                if (row.Index >= 0 && static_cast<size_t>(row.Index) < Value.Items().size())
                    raw = &Value.Items()[static_cast<size_t>(row.Index)];
            } else {
                raw = Value.Find(row.Key);
            }
            const TValue* value = raw ? Resolve(raw) : nullptr;
            // A null entry of a dictionary is an absent one; an array's
            // null is an element.
            if (value && value->IsNull() && !isArray) value = nullptr;
            if (!value) {
                if (row.Required == TRow::TRule::Yes && (row.Since == 0 || row.Since <= Version)) ++fit.Missing;
                continue;
            }
            // Its value must be of one of the row's types, and among that
            // type's values where they are a closed list.
            bool kindFits = false, listed = false, closed = false;
            for (const TAlternative& alternative : row.Alternatives) {
                if (!KindMatches(alternative.Type, *value)) continue;
                kindFits = true;
                bool literals = !alternative.Possible.empty();
                bool among = false;
                for (const TPossibleValue& possible : alternative.Possible) {
                    if (possible.Kind != TPossibleValue::TKind::Literal) {
                        literals = false;
                        break;
                    }
                    if (Equal(FromValue(value), LiteralOf(possible.Expr)) == true) among = true;
                }
                if (literals) {
                    closed = true;
                    listed = listed || among;
                }
            }
            // Only a closed list of values (or a wrong Type or Subtype)
            // rules a type out; other faults are the chosen type's findings.
            const bool named = row.Key == "Type" || row.Key == "Subtype";
            if ((closed && !listed) || (named && !kindFits)) {
                out = true;
                break;
            }
            if (closed) ++fit.Matched;
            if (Depth > 0 && (value->IsDictionary() || value->Is(TValue::TKind::Array))) {
                for (const TAlternative& alternative : row.Alternatives) {
                    if (!KindMatches(alternative.Type, *value) || alternative.Links.empty()) continue;
                    const TLinkChoice inner =
                        ChooseLink(Model, alternative.Links, *value, Resolve, Version, {}, Depth - 1);
                    if (inner.Outcome == TLinkChoice::TOutcome::NoneFits) out = true;
                    break;
                }
                if (out) break;
            }
        }
        if (!out) fits.push_back(fit);
    }
    return fits;
}

TLinkChoice ChooseLink(const TModel& Model, const std::vector<TLinkTarget>& Targets, const TValue& Value,
                       const TResolve& Resolve, int Version, std::string_view Preferred, int Depth) {
    TLinkChoice choice;
    const bool isArray = Value.Is(TValue::TKind::Array);
    const bool isStream = Value.Is(TValue::TKind::Stream);
    const auto shapeFits = [&](const TModelType& Type) {
        return Type.Array == isArray && (isArray || Type.Stream == isStream);
    };
    // One type to choose from: the object is checked as it, and what does
    // not fit it is told by the check.
    // (Followed from another object's entry, even one type must fit.)
    if (Targets.size() == 1 && Depth > 0 && shapeFits(Model.Type(Targets[0].Type))) {
        choice.Outcome = TLinkChoice::TOutcome::Chosen;
        choice.Type = Targets[0].Type;
        return choice;
    }
    // First by the entries' own values; where that leaves a tie, again
    // with the required entries' links followed.
    std::vector<TFit> fits = Fits(Model, Targets, Value, Resolve, Version, 0);
    std::stable_sort(fits.begin(), fits.end(), [](const TFit& A, const TFit& B) { return A.Rank() > B.Rank(); });
    if (Depth > 0 && fits.size() > 1 && fits[0].Rank() == fits[1].Rank()) {
        std::vector<TLinkTarget> tied;
        for (const TFit& fit : fits)
            if (fit.Rank() == fits[0].Rank())
                for (const TLinkTarget& target : Targets)
                    if (target.Type == fit.Type) tied.push_back(target);
        fits = Fits(Model, tied, Value, Resolve, Version, Depth);
    }
    if (fits.empty()) {
        for (const TLinkTarget& target : Targets) choice.Tied.push_back(target.Type);
        return choice;
    }
    std::stable_sort(fits.begin(), fits.end(), [](const TFit& A, const TFit& B) { return A.Rank() > B.Rank(); });
    if (fits.size() > 1 && fits[0].Rank() == fits[1].Rank() && !Preferred.empty()) {
        for (const TFit& fit : fits) {
            if (fit.Rank() != fits[0].Rank() || Model.Type(fit.Type).Name != Preferred) continue;
            choice.Outcome = TLinkChoice::TOutcome::Chosen;
            choice.Type = fit.Type;
            return choice;
        }
    }
    if (fits.size() > 1 && fits[0].Rank() == fits[1].Rank()) {
        choice.Outcome = TLinkChoice::TOutcome::Tie;
        for (const TFit& fit : fits)
            if (fit.Rank() == fits[0].Rank()) choice.Tied.push_back(fit.Type);
        return choice;
    }
    choice.Outcome = TLinkChoice::TOutcome::Chosen;
    choice.Type = fits[0].Type;
    return choice;
}

}  // namespace lumerra::objects
