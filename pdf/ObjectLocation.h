// Object numbers, and where the file keeps each object.
#pragma once

#include <cstdint>
#include <vector>

namespace lumerra {

// Object numbers in the order they were read (page lists, kids, contents).
using TIDList = std::vector<int32_t>;

// Where an object is. Today every object stands at a byte offset of the file,
// where its header "n g obj" begins. Objects kept inside object streams will
// add a kind of their own (entry k of object stream M), so readers never take
// the offset without asking for the kind.
class TObjectLocation {
public:
    enum class TKind : uint8_t {
        None,   // the table holds no usable entry for the object
        InFile  // at Offset in the file, header first
    };

    TObjectLocation() = default;
    static TObjectLocation InFile(int32_t Offset) { return TObjectLocation(TKind::InFile, Offset); }

    TKind Kind() const { return FKind; }
    bool Found() const { return FKind != TKind::None; }
    // The byte offset of the header (InFile); -1 for None.
    int32_t Offset() const { return FOffset; }

private:
    TObjectLocation(TKind Kind, int32_t Offset) : FKind(Kind), FOffset(Offset) {}

    TKind FKind = TKind::None;
    int32_t FOffset = -1;
};

}  // namespace lumerra
