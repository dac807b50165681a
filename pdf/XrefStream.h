// The entries of a cross-reference stream (ISO 32000-1, 7.5.8): fixed-width
// big-endian fields, laid out by /W and numbered by /Index. Works on the
// stream's decoded data; reading its dictionary is the caller's job.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace lumerra {

struct TXrefStreamLayout {
    // /W: the widths in bytes of the entry type, the second and the third
    // field. A width of 0 leaves the field at its default.
    std::array<int64_t, 3> Widths{};
    // /Index: (first object number, count) pairs; /Size alone means
    // {(0, Size)}.
    std::vector<std::pair<int64_t, int64_t>> Subsections;
};

struct TXrefStreamEntry {
    enum class TKind : uint8_t { Free = 0, InFile = 1, InObjectStream = 2, Unknown = 3 };
    TKind Kind = TKind::InFile;
    // InFile: the byte offset; InObjectStream: the object stream's number.
    int64_t Field2 = 0;
    // InFile: the generation; InObjectStream: the index inside the stream.
    int64_t Field3 = 0;
};

// Why a layout cannot be read; nothing when it can.
enum class TXrefLayoutFault { None, FieldTooWide, EmptyEntries, BadSubsection };
TXrefLayoutFault CheckXrefLayout(const TXrefStreamLayout& Layout);

// Calls Visit(object number, entry) for each entry in the data, in order.
// Entries that the data does not hold, or whose numbers do not fit a
// 32-bit object number, are not visited: a table that claims more than its
// data costs nothing. Returns the number of entries visited, or nothing
// when the layout cannot be read.
std::optional<int64_t> ReadXrefStreamEntries(std::span<const uint8_t> Data, const TXrefStreamLayout& Layout,
                                             const std::function<void(int32_t, const TXrefStreamEntry&)>& Visit);

}  // namespace lumerra
