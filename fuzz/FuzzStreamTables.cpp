// The tables of cross-reference streams and object streams, read from
// hostile decoded data, and classic tables read from hostile bytes. The
// first bytes choose the layout (/W, /Index, /N, /First); the rest is the
// data. Entries must stay inside the data and the work inside its size; the
// objects of an object stream are parsed within their entries.
#include <cstdint>

#include "fuzz/FuzzSupport.h"
#include "pdf/ObjectStream.h"
#include "pdf/XrefSection.h"
#include "pdf/XrefStream.h"

using namespace lumerra;
using namespace lumerra::fuzz;

namespace {

void XrefEntries(const uint8_t* Data, size_t Size) {
    TXrefStreamLayout layout;
    for (int64_t& width : layout.Widths) width = TakeByte(Data, Size) % 11 - 1;  // -1 .. 9
    const int subsections = TakeByte(Data, Size) % 4;
    for (int i = 0; i < subsections; ++i) {
        const int64_t first = static_cast<int64_t>(TakeByte(Data, Size)) << (TakeByte(Data, Size) % 40);
        const int64_t count = static_cast<int64_t>(TakeByte(Data, Size)) << (TakeByte(Data, Size) % 40);
        layout.Subsections.emplace_back(first, count);
    }
    int64_t visits = 0;
    const auto visited = ReadXrefStreamEntries({Data, Size}, layout, [&](int32_t Number, const TXrefStreamEntry& E) {
        Require(Number >= 0, "object numbers are not negative");
        Require(E.Kind <= TXrefStreamEntry::TKind::Unknown, "a known kind of entry");
        ++visits;
    });
    if (!visited) return;
    Require(*visited == visits, "the count is the number of entries visited");
    const int64_t rowWidth = layout.Widths[0] + layout.Widths[1] + layout.Widths[2];
    Require(rowWidth > 0 && visits <= static_cast<int64_t>(Size) / rowWidth, "no entry beyond the data");
}

void ObjectTable(const uint8_t* Data, size_t Size) {
    const int64_t n = static_cast<int64_t>(TakeByte(Data, Size)) << (TakeByte(Data, Size) % 32);
    const int64_t first = TakeByte(Data, Size) * 4 - 16;
    const auto index = TObjectStreamIndex::Read({Data, Size}, n, first);
    if (!index) return;
    int32_t previous = static_cast<int32_t>(first);
    for (const auto& entry : index->Entries()) {
        Require(entry.Start >= previous && entry.Start <= entry.End, "entries in order");
        Require(entry.End <= static_cast<int64_t>(Size), "entries inside the data");
        previous = entry.Start;
        // Each object parsed where it stands, never past its entry.
        TValue value;
        ParseObjectInStream({Data, Size}, entry, value);
    }
    Require(static_cast<int64_t>(index->Entries().size()) <= n, "no more entries than /N");
}

void ClassicTable(const uint8_t* Data, size_t Size) {
    TXrefSection section;
    const TXrefSectionFault fault = ReadXrefTable({Data, Size}, 0, section);
    // An entry takes at least "0 0 n" and a byte of white space.
    Require(section.Entries.size() <= Size / 6, "no entry beyond the data");
    if (fault == TXrefSectionFault::None) Require(section.Trailer.IsDictionary(), "a table has its trailer");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    switch (TakeByte(Data, Size) % 3) {
        case 0:
            XrefEntries(Data, Size);
            break;
        case 1:
            ObjectTable(Data, Size);
            break;
        default:
            ClassicTable(Data, Size);
    }
    return 0;
}
