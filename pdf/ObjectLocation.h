// Object numbers, and where the file keeps each object.
#pragma once

#include <cstdint>
#include <vector>

namespace lumerra {

// Object numbers in the order they were read (page lists, kids, contents).
using TIDList = std::vector<int32_t>;

// Where an object is: at a byte offset of the file, where its header
// "n g obj" begins, or (read in extended mode) entry k of object stream M.
// Readers never take the offset without asking for the kind.
class TObjectLocation {
public:
    enum class TKind : uint8_t {
        None,           // the table holds no usable entry for the object
        InFile,         // at Offset in the file, header first
        InObjectStream  // entry Index of the object stream Stream
    };

    TObjectLocation() = default;
    static TObjectLocation InFile(int64_t Offset) { return TObjectLocation(TKind::InFile, Offset, -1); }
    static TObjectLocation InObjectStream(int32_t Stream, int32_t Index) {
        return TObjectLocation(TKind::InObjectStream, Stream, Index);
    }

    TKind Kind() const { return FKind; }
    bool Found() const { return FKind != TKind::None; }
    // The byte offset of the header (InFile); -1 otherwise.
    int64_t Offset() const { return FKind == TKind::InFile ? FFirst : -1; }
    // The object stream's number and the entry in it (InObjectStream).
    int32_t Stream() const { return FKind == TKind::InObjectStream ? static_cast<int32_t>(FFirst) : -1; }
    int32_t Index() const { return FSecond; }

private:
    TObjectLocation(TKind Kind, int64_t First, int32_t Second) : FKind(Kind), FFirst(First), FSecond(Second) {}

    TKind FKind = TKind::None;
    int64_t FFirst = -1;
    int32_t FSecond = -1;
};

}  // namespace lumerra
