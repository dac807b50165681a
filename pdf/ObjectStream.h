// The table of contents of an object stream (ISO 32000-1, 7.5.7): /N pairs
// of "object number, offset" at the start of the decoded data, the offsets
// counted from /First. Works on the stream's decoded data; reading its
// dictionary is the caller's job.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "syntax/Parser.h"

namespace lumerra {

class TObjectStreamIndex {
public:
    struct TEntry {
        int32_t Number = 0;
        // Where the object's bytes start and end in the decoded data. An
        // object ends where the next one starts, or with the data: there is
        // no "endobj" inside an object stream.
        int32_t Start = 0;
        int32_t End = 0;
    };

    // Reads the pairs. Nothing when /N or /First cannot describe this data.
    // The table ends at the first pair that is not two integers, or whose
    // offset goes back or beyond the data: the entries before it stay.
    static std::optional<TObjectStreamIndex> Read(std::span<const uint8_t> Data, int64_t N, int64_t First);

    const std::vector<TEntry>& Entries() const { return FEntries; }
    // The entry at Index (the third field of a cross-reference stream
    // entry), when the table has it.
    const TEntry* At(int64_t Index) const;

private:
    std::vector<TEntry> FEntries;
};

// The object of Entry, parsed where it stands in the decoded Data: nothing
// before or after its bytes is read. A value followed by "stream" is refused
// (a stream cannot be kept in an object stream); anything else after the
// value is passed over. Fault offsets count from the start of Data.
TParseFault ParseObjectInStream(std::span<const uint8_t> Data, const TObjectStreamIndex::TEntry& Entry, TValue& Out);

}  // namespace lumerra
