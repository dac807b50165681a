#include "pdf/ObjectStream.h"

#include <climits>

#include "syntax/CharClass.h"

namespace lumerra {

namespace {

// A non-negative decimal integer at Position, after white space; moves past
// it. Nothing when there is none or it does not fit 32 bits.
std::optional<int32_t> ReadInteger(std::span<const uint8_t> Data, size_t& Position) {
    while (Position < Data.size() && IsIsoWhiteSpace(Data[Position])) ++Position;
    int64_t value = 0;
    size_t digits = 0;
    while (Position < Data.size() && Data[Position] >= '0' && Data[Position] <= '9') {
        value = value * 10 + (Data[Position++] - '0');
        if (value > INT32_MAX) return std::nullopt;
        ++digits;
    }
    if (digits == 0) return std::nullopt;
    return static_cast<int32_t>(value);
}

}  // namespace

std::optional<TObjectStreamIndex> TObjectStreamIndex::Read(std::span<const uint8_t> Data, int64_t N, int64_t First) {
    if (N < 0 || First < 0 || First > static_cast<int64_t>(Data.size()) || Data.size() > INT32_MAX)
        return std::nullopt;
    // Each pair takes at least four bytes ("1 0 "): a larger /N lies.
    if (N > First / 2 + 1) return std::nullopt;
    TObjectStreamIndex index;
    const std::span<const uint8_t> header = Data.first(static_cast<size_t>(First));
    size_t position = 0;
    int64_t previous = 0;
    for (int64_t i = 0; i < N; ++i) {
        const auto number = ReadInteger(header, position);
        const auto offset = ReadInteger(header, position);
        if (!number || !offset) break;
        const int64_t start = First + *offset;
        if (start < previous || start > static_cast<int64_t>(Data.size())) break;
        index.FEntries.push_back({*number, static_cast<int32_t>(start), 0});
        previous = start;
    }
    for (size_t i = 0; i < index.FEntries.size(); ++i)
        index.FEntries[i].End =
            i + 1 < index.FEntries.size() ? index.FEntries[i + 1].Start : static_cast<int32_t>(Data.size());
    return index;
}

const TObjectStreamIndex::TEntry* TObjectStreamIndex::At(int64_t Index) const {
    if (Index < 0 || Index >= static_cast<int64_t>(FEntries.size())) return nullptr;
    return &FEntries[static_cast<size_t>(Index)];
}

TParseFault ParseObjectInStream(std::span<const uint8_t> Data, const TObjectStreamIndex::TEntry& Entry, TValue& Out) {
    if (Entry.Start < 0 || Entry.End < Entry.Start || static_cast<size_t>(Entry.End) > Data.size())
        return TParseFault::Damaged;
    const std::span<const uint8_t> bytes = Data.subspan(static_cast<size_t>(Entry.Start),
                                                        static_cast<size_t>(Entry.End - Entry.Start));
    TTokenizer tokens(bytes, Entry.Start);
    // Nothing follows the entry's bytes: their end ends the value.
    TParser parser(tokens, {}, true);
    if (const TParseFault fault = parser.ReadValue(Out); fault != TParseFault::None)
        return fault == TParseFault::NeedMore ? TParseFault::Damaged : fault;
    if (tokens.Next().IsKeyword("stream")) return TParseFault::Damaged;
    return TParseFault::None;
}

}  // namespace lumerra
