// The Arlington PDF Model's tables as compiled into the program (made at
// build time from third_party/arlington/tsv by tools/ArlingtonTables.cpp):
// one entry per object type, sorted by name, and the raw text of each of
// its rows' cells.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace lumerra::objects {

enum class TColumn : uint8_t {
    Key,
    Type,
    SinceVersion,
    DeprecatedIn,
    Required,
    IndirectReference,
    Inheritable,
    DefaultValue,
    PossibleValues,
    SpecialCase,
    Link
};
inline constexpr size_t ColumnCount = 11;

struct TRawType {
    std::string_view Name;
    uint32_t FirstRow = 0;
    uint32_t RowCount = 0;
};

std::span<const TRawType> RawTypes();
std::string_view RawCell(uint32_t Row, TColumn Column);

}  // namespace lumerra::objects
