#include "model/ObjectSearch.h"

#include <string>

namespace lumerra {

namespace {

// The first place inside Value (at Inside) that holds Text, written to At.
bool FindIn(const TValue& Value, std::string_view Text, const std::string& Inside, std::string& At) {
    switch (Value.Kind()) {
        case TValue::TKind::Name:
            if (Value.Text() != Text) return false;
            At = Inside;
            return true;
        case TValue::TKind::Array:
            for (size_t i = 0; i < Value.Items().size(); ++i)
                if (FindIn(Value.Items()[i], Text, Inside + InsideIndex(i), At)) return true;
            return false;
        case TValue::TKind::Dictionary:
        case TValue::TKind::Stream:
            for (const auto& [key, item] : Value.Entries()) {
                if (key == Text) {
                    At = Inside + InsideStep(key);
                    return true;
                }
                if (FindIn(item, Text, Inside + InsideStep(key), At)) return true;
            }
            return false;
        default: return false;
    }
}

}  // namespace

std::optional<TReferrer> FindKeyOrName(TObjectSource& Source, std::string_view Text, int32_t From) {
    if (!Text.empty() && Text.front() == '/') Text.remove_prefix(1);
    if (Text.empty()) return std::nullopt;
    const int32_t count = Source.ObjectCount();
    if (count <= 0) return std::nullopt;
    const int32_t start = From < 0 || From >= count ? 0 : From + 1;
    std::string at;
    for (int32_t step = 0; step < count; ++step) {
        const int32_t number = (start + step) % count;
        const TValuePtr value = Source.Object(number);
        if (value && FindIn(*value, Text, "", at)) return TReferrer{number, at};
    }
    return std::nullopt;
}

std::string InsideAsPath(std::string_view Inside) {
    std::string path;
    for (const char c : Inside) {
        if (c == ']') continue;
        path += c == '[' ? '/' : c;
    }
    if (!path.empty() && path.front() == '/') path.erase(0, 1);
    return path;
}

}  // namespace lumerra
