#include "syntax/Value.h"

namespace lumerra {

TValue TValue::Boolean(bool B) {
    TValue v;
    v.FKind = TKind::Boolean;
    v.FBoolean = B;
    return v;
}

TValue TValue::Integer(int64_t N) {
    TValue v;
    v.FKind = TKind::Integer;
    v.FInteger = N;
    v.FReal = static_cast<double>(N);
    return v;
}

TValue TValue::Real(double R) {
    TValue v;
    v.FKind = TKind::Real;
    v.FReal = R;
    v.FInteger = R > -9.2e18 && R < 9.2e18 ? static_cast<int64_t>(R) : 0;
    return v;
}

TValue TValue::String(std::string Bytes) {
    TValue v;
    v.FKind = TKind::String;
    v.FText = std::move(Bytes);
    return v;
}

TValue TValue::Name(std::string Decoded) {
    TValue v;
    v.FKind = TKind::Name;
    v.FText = std::move(Decoded);
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
    v.FItems = std::move(Items);
    return v;
}

TValue TValue::Dictionary(std::vector<TEntry> Entries) {
    TValue v;
    v.FKind = TKind::Dictionary;
    v.FEntries = std::move(Entries);
    return v;
}

const TValue* TValue::Find(std::string_view Key) const {
    if (!IsDictionary()) return nullptr;
    for (auto entry = FEntries.rbegin(); entry != FEntries.rend(); ++entry)
        if (entry->first == Key) return &entry->second;
    return nullptr;
}

void TValue::MakeStream(int64_t DataOffset) {
    FKind = TKind::Stream;
    FInteger = DataOffset;
}

}  // namespace lumerra
