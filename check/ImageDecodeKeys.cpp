#include "check/ImageDecodeKeys.h"

namespace lumerra::check {

namespace {

bool IsParms(const TValue& Value) {
    return Value.Is(TValue::TKind::Dictionary) || Value.Is(TValue::TKind::Null);
}

}  // namespace

TDecodeFault CheckDecode(const TValue& Decode, int32_t Components) {
    if (!Decode.Is(TValue::TKind::Array) || Decode.Items().size() % 2 != 0) return TDecodeFault::NotNumbers;
    for (const TValue& item : Decode.Items())
        if (!item.Is(TValue::TKind::Integer) && !item.Is(TValue::TKind::Real)) return TDecodeFault::NotNumbers;
    if (Components > 0 && Decode.Items().size() != 2 * static_cast<size_t>(Components)) return TDecodeFault::WrongCount;
    return TDecodeFault::None;
}

TDecodeParmsFault CheckDecodeParms(const TValue& Parms, std::optional<size_t> FilterArray) {
    if (!FilterArray) return IsParms(Parms) ? TDecodeParmsFault::None : TDecodeParmsFault::NotDictionary;
    if (*FilterArray == 1 && IsParms(Parms)) return TDecodeParmsFault::None;
    if (!Parms.Is(TValue::TKind::Array) || Parms.Items().size() != *FilterArray) return TDecodeParmsFault::NotPerFilter;
    for (const TValue& item : Parms.Items())
        if (!IsParms(item)) return TDecodeParmsFault::NotPerFilter;
    return TDecodeParmsFault::None;
}

}  // namespace lumerra::check
