#include "model/ObjectPath.h"

#include <charconv>
#include <set>

#include "syntax/ValueWriter.h"

namespace lumerra {

namespace {

// A whole decimal number that fits 31 bits; none otherwise.
std::optional<int32_t> Number(std::string_view Text) {
    int32_t value = 0;
    if (Text.empty() || Text.size() > 10) return std::nullopt;
    const auto [end, error] = std::from_chars(Text.data(), Text.data() + Text.size(), value);
    if (error != std::errc() || end != Text.data() + Text.size() || value < 0) return std::nullopt;
    return value;
}

int HexValue(char C) {
    if (C >= '0' && C <= '9') return C - '0';
    if (C >= 'a' && C <= 'f') return C - 'a' + 10;
    if (C >= 'A' && C <= 'F') return C - 'A' + 10;
    return -1;
}

// A key as typed: "#xx" is the byte xx. None for a "#" without two digits.
std::optional<std::string> DecodedKey(std::string_view Text) {
    std::string key;
    for (size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] != '#') {
            key += Text[i];
            continue;
        }
        const int high = i + 1 < Text.size() ? HexValue(Text[i + 1]) : -1;
        const int low = i + 2 < Text.size() ? HexValue(Text[i + 2]) : -1;
        if (high < 0 || low < 0) return std::nullopt;
        key += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return key;
}

std::vector<std::string_view> Split(std::string_view Text, char Separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t at = Text.find(Separator); at != std::string_view::npos; at = Text.find(Separator, start)) {
        parts.push_back(Text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(Text.substr(start));
    return parts;
}

// "N" or "N G" (one space between).
std::optional<TShowTarget> ObjectTarget(std::string_view Text) {
    const std::vector<std::string_view> words = Split(Text, ' ');
    if (words.size() > 2) return std::nullopt;
    const auto number = Number(words[0]);
    if (!number) return std::nullopt;
    TShowTarget target{TShowTarget::TKind::Object, *number, std::nullopt, {}};
    if (words.size() == 2) {
        target.Generation = Number(words[1]);
        if (!target.Generation || *target.Generation > 65535) return std::nullopt;
    }
    return target;
}

class TWalker {
public:
    explicit TWalker(TObjectSource& Source) : FSource(Source) {}

    // Follows V while it is a reference; none for a missing object or a
    // chain that comes back on itself.
    bool Follow(TWalkResult& At) {
        std::set<int32_t> seen;
        while (At.Value->Is(TValue::TKind::Reference)) {
            const int32_t number = At.Value->AsReference().Number;
            if (!seen.insert(number).second || !Holds(number)) return false;
            At.Value = FSource.Object(number);
            At.Object = number;
            At.Inside.clear();
        }
        return true;
    }

    bool Holds(int32_t Number) {
        if (Number <= 0) return false;
        const TObjectPlace place = FSource.Place(Number);
        return !place.Free && place.Location.Found();
    }

private:
    TObjectSource& FSource;
};

void CollectReferences(const TValue& Value, int32_t Number, int32_t Object, const std::string& Inside,
                       std::vector<TReferrer>& Out) {
    switch (Value.Kind()) {
        case TValue::TKind::Reference:
            if (Value.AsReference().Number == Number) Out.push_back({Object, Inside});
            return;
        case TValue::TKind::Array:
            for (size_t i = 0; i < Value.Items().size(); ++i)
                CollectReferences(Value.Items()[i], Number, Object, Inside + InsideIndex(i), Out);
            return;
        case TValue::TKind::Dictionary:
        case TValue::TKind::Stream:
            for (const auto& [key, item] : Value.Entries())
                CollectReferences(item, Number, Object, Inside + InsideStep(key), Out);
            return;
        default: return;
    }
}

}  // namespace

std::optional<TShowTarget> ParseShowTarget(std::string_view Text) {
    using K = TShowTarget::TKind;
    if (Text == "trailer") return TShowTarget{};
    if (Text == "xref") return TShowTarget{K::Xref, -1, std::nullopt, {}};
    const std::vector<std::string_view> parts = Split(Text, '/');
    if (parts.size() == 2 && (parts[0] == "page" || parts[0] == "refs")) {
        const auto number = Number(parts[1]);
        if (!number || (parts[0] == "page" && *number < 1)) return std::nullopt;
        return TShowTarget{parts[0] == "page" ? K::Page : K::Refs, *number, std::nullopt, {}};
    }
    TShowTarget target;
    if (parts[0] != "trailer") {
        const auto object = ObjectTarget(parts[0]);
        if (!object) return std::nullopt;
        target = *object;
    }
    if (parts.size() == 1) return target;
    target.Kind = K::Path;
    for (size_t i = 1; i < parts.size(); ++i) {
        const auto key = DecodedKey(parts[i]);
        if (!key || key->empty()) return std::nullopt;
        target.Steps.push_back(*key);
    }
    return target;
}

std::string InsideStep(std::string_view Key) { return WrittenName(Key); }

std::string InsideIndex(size_t Index) { return "[" + std::to_string(Index) + "]"; }

TWalkResult WalkToTarget(TObjectSource& Source, const TShowTarget& Target) {
    TWalker walker(Source);
    TWalkResult at;
    if (Target.Kind == TShowTarget::TKind::Page) {
        const auto object = Source.PageObject(Target.Number);
        if (!object) {
            at.Fault = TWalkFault::NoObject;
            return at;
        }
        at.Object = *object;
        at.Value = Source.Object(*object);
        return at;
    }
    if (Target.Number < 0) {
        at.Value = Source.Trailer();
    } else {
        const TObjectPlace place = Source.Place(Target.Number);
        if (Target.Number == 0 || place.Free || !place.Location.Found() || (Target.Generation && *Target.Generation != place.Generation)) {
            at.Fault = TWalkFault::NoObject;
            return at;
        }
        at.Object = Target.Number;
        at.Value = Source.Object(Target.Number);
    }
    for (size_t step = 0; step < Target.Steps.size(); ++step) {
        const std::string& key = Target.Steps[step];
        at.FailedStep = step;
        if (at.Value->IsDictionary()) {
            const TValue* entry = at.Value->Find(key);
            if (entry == nullptr) {
                at.Fault = TWalkFault::NoKey;
                return at;
            }
            // The entry lives as long as the object that holds it.
            at.Value = TValuePtr(at.Value, entry);
            at.Inside += InsideStep(key);
        } else if (at.Value->Is(TValue::TKind::Array)) {
            const auto index = Number(key);
            if (!index || static_cast<size_t>(*index) >= at.Value->Items().size()) {
                at.Fault = TWalkFault::NoIndex;
                return at;
            }
            at.Value = TValuePtr(at.Value, &at.Value->Items()[static_cast<size_t>(*index)]);
            at.Inside += InsideIndex(static_cast<size_t>(*index));
        } else {
            at.Fault = TWalkFault::NotContainer;
            return at;
        }
        if (!walker.Follow(at)) {
            at.Fault = TWalkFault::NoObject;
            return at;
        }
    }
    at.FailedStep = Target.Steps.size();
    return at;
}

std::vector<TReferrer> FindReferrers(TObjectSource& Source, int32_t Number) {
    std::vector<TReferrer> referrers;
    CollectReferences(*Source.Trailer(), Number, -1, "", referrers);
    TWalker walker(Source);
    const int32_t count = Source.ObjectCount();
    for (int32_t object = 1; object < count; ++object)
        if (walker.Holds(object)) CollectReferences(*Source.Object(object), Number, object, "", referrers);
    return referrers;
}

}  // namespace lumerra
