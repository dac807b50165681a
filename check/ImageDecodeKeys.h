// The /Decode and /DecodeParms of an image: their shape, from the image's
// colour components and its filters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "syntax/Value.h"

namespace lumerra::check {

enum class TDecodeFault : uint8_t {
    None,
    NotNumbers,  // not an array of numbers, or one of odd length
    WrongCount,  // not two numbers per component
};

// Components is 1 for an image mask or an indexed space; below 1 when the
// colour space is not known, and then only the shape is checked.
TDecodeFault CheckDecode(const TValue& Decode, int32_t Components);

enum class TDecodeParmsFault : uint8_t {
    None,
    NotDictionary,  // one filter: a dictionary (or null) is expected
    NotPerFilter,   // a filter array: one dictionary (or null) per filter
};

// FilterArray holds the length of /Filter when it is an array; none when
// it is one name or absent. A filter array of one also takes a bare
// dictionary, as one filter does.
TDecodeParmsFault CheckDecodeParms(const TValue& Parms, std::optional<size_t> FilterArray);

}  // namespace lumerra::check
