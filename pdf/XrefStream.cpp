#include "pdf/XrefStream.h"

#include <algorithm>
#include <climits>

namespace lumerra {

namespace {

// Fields wider than this do not fit the 64-bit values they are read into.
constexpr int64_t MaximumFieldWidth = 8;

uint64_t BigEndian(const uint8_t* Bytes, int64_t Width) {
    uint64_t value = 0;
    for (int64_t i = 0; i < Width; ++i) value = value << 8 | Bytes[i];
    return value;
}

}  // namespace

TXrefLayoutFault CheckXrefLayout(const TXrefStreamLayout& Layout) {
    int64_t rowWidth = 0;
    for (const int64_t width : Layout.Widths) {
        if (width < 0 || width > MaximumFieldWidth) return TXrefLayoutFault::FieldTooWide;
        rowWidth += width;
    }
    if (rowWidth == 0) return TXrefLayoutFault::EmptyEntries;
    for (const auto& [first, count] : Layout.Subsections)
        if (first < 0 || count < 0) return TXrefLayoutFault::BadSubsection;
    return TXrefLayoutFault::None;
}

std::optional<int64_t> ReadXrefStreamEntries(std::span<const uint8_t> Data, const TXrefStreamLayout& Layout,
                                             const std::function<void(int32_t, const TXrefStreamEntry&)>& Visit) {
    if (CheckXrefLayout(Layout) != TXrefLayoutFault::None) return std::nullopt;
    const auto& w = Layout.Widths;
    const int64_t rowWidth = w[0] + w[1] + w[2];
    const int64_t rows = static_cast<int64_t>(Data.size()) / rowWidth;
    int64_t row = 0;
    int64_t visited = 0;
    for (const auto& [first, count] : Layout.Subsections) {
        // The data runs out before a lying count does.
        const int64_t take = std::min(count, rows - row);
        for (int64_t i = 0; i < take; ++i, ++row) {
            const uint8_t* bytes = Data.data() + row * rowWidth;
            TXrefStreamEntry entry;
            // Without a type field every entry is in use.
            const uint64_t type = w[0] == 0 ? 1 : BigEndian(bytes, w[0]);
            entry.Kind = type <= 2 ? static_cast<TXrefStreamEntry::TKind>(type) : TXrefStreamEntry::TKind::Unknown;
            const uint64_t field2 = BigEndian(bytes + w[0], w[1]);
            const uint64_t field3 = BigEndian(bytes + w[0] + w[1], w[2]);
            entry.Field2 = field2 > static_cast<uint64_t>(INT64_MAX) ? -1 : static_cast<int64_t>(field2);
            entry.Field3 = field3 > static_cast<uint64_t>(INT64_MAX) ? -1 : static_cast<int64_t>(field3);
            if (first > INT32_MAX || i > INT32_MAX - first) continue;
            Visit(static_cast<int32_t>(first + i), entry);
            ++visited;
        }
        if (row >= rows) break;
    }
    return visited;
}

}  // namespace lumerra
