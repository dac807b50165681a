#include "syntax/Value.h"

namespace lumerra {

TValue TValue::Boolean(bool B) {
    TValue v;
    v.FKind = TKind::Boolean;
    v.FNumber = B ? 1 : 0;
    return v;
}

TValue TValue::Integer(int64_t N) {
    TValue v;
    v.FKind = TKind::Integer;
    v.FNumber = N;
    v.FReal = static_cast<double>(N);
    return v;
}

TValue TValue::Real(double R) {
    TValue v;
    v.FKind = TKind::Real;
    v.FReal = R;
    v.FNumber = R > -9.2e18 && R < 9.2e18 ? static_cast<int64_t>(R) : 0;
    return v;
}

TValue TValue::String(std::string Bytes) {
    TValue v;
    v.FKind = TKind::String;
    v.FData = std::move(Bytes);
    return v;
}

TValue TValue::Name(std::string Decoded) {
    TValue v;
    v.FKind = TKind::Name;
    v.FData = std::move(Decoded);
    return v;
}

TValue TValue::Reference(TObjectRef Ref) {
    TValue v;
    v.FKind = TKind::Reference;
    v.FRef = Ref;
    return v;
}

TValue TValue::Array(std::vector<TValue> Items) {
    TValue v;
    v.FKind = TKind::Array;
    v.FData = std::move(Items);
    return v;
}

TValue TValue::Dictionary(std::vector<TEntry> Entries) {
    TValue v;
    v.FKind = TKind::Dictionary;
    v.FData = std::move(Entries);
    return v;
}

const std::string& TValue::Text() const {
    static const std::string none;
    const auto* text = std::get_if<std::string>(&FData);
    return text != nullptr ? *text : none;
}

const std::vector<TValue>& TValue::Items() const {
    static const std::vector<TValue> none;
    const auto* items = std::get_if<std::vector<TValue>>(&FData);
    return items != nullptr ? *items : none;
}

const std::vector<TValue::TEntry>& TValue::Entries() const {
    static const std::vector<TEntry> none;
    const auto* entries = std::get_if<std::vector<TEntry>>(&FData);
    return entries != nullptr ? *entries : none;
}

const TValue* TValue::Find(std::string_view Key) const {
    if (!IsDictionary()) return nullptr;
    const std::vector<TEntry>& entries = Entries();
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry)
        if (entry->first == Key) return &entry->second;
    return nullptr;
}

void TValue::MakeStream(int64_t DataOffset) {
    FKind = TKind::Stream;
    FNumber = DataOffset;
}

}  // namespace lumerra
