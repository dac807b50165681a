// One cross-reference section as the file holds it (ISO 32000-2, 7.5.4 and
// 7.5.8): a table with its trailer, or a cross-reference stream whose
// dictionary is the trailer. Extended reading follows the /Prev chain
// section by section with this; so does whatever asks what each section
// (each revision of the file) said.
#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "pdf/ObjectReader.h"
#include "pdf/XrefStream.h"
#include "syntax/Value.h"

namespace lumerra {

class TMemoryStream;

struct TXrefSection {
    enum class TKind : uint8_t { Table, Stream };
    TKind Kind = TKind::Table;
    int64_t Offset = 0;  // of "xref", or of the stream object's header
    // The entries in the order the section lists them. In a table, Field2 is
    // the offset (or the next free number) and Field3 the generation.
    std::vector<std::pair<int32_t, TXrefStreamEntry>> Entries;
    // The trailer dictionary; a stream's own dictionary.
    TValue Trailer;

    // The trailer's /Prev, and a table's /XRefStm (a hybrid file's stream
    // beside it); -1 when absent or not a number.
    int64_t Prev() const { return OffsetEntry("Prev"); }
    int64_t XRefStm() const { return OffsetEntry("XRefStm"); }

private:
    int64_t OffsetEntry(const char* Key) const;
};

enum class TXrefSectionFault : uint8_t {
    None,
    NeedMore,     // the data ended inside the table or its trailer
    NotASection,  // neither "xref" nor a cross-reference stream at the offset
    BadEntries,   // a subsection or entry that cannot be read
    BadTrailer    // no trailer dictionary after the entries
};

// The table that Data starts with ("xref", subsections, "trailer" and its
// dictionary); Base is Data's offset in the file. Entries the subsection
// claims but the data does not hold end the subsection where the next
// subsection or the trailer begins, so a wrong count costs nothing.
TXrefSectionFault ReadXrefTable(std::span<const uint8_t> Data, int64_t Base, TXrefSection& Out);

// The section at Offset of the file Reader reads: a table, or a stream
// object of /Type /XRef with its entries decoded. A stream's /Length and
// /DecodeParms may be references; they resolve through the table as read
// so far. The file's read position is not kept.
TXrefSectionFault ReadXrefSection(TObjectReader& Reader, int64_t Offset, TXrefSection& Out);

// The stream object whose header is at Offset, parsed, with its decoded data
// in Data; null when it is no stream. A cross-reference stream (Object -1)
// is never decrypted; an object stream of an encrypted file is decrypted as
// object Object.
TValuePtr ReadStructureStream(TObjectReader& Reader, int64_t Offset, TMemoryStream& Data, int32_t Object = -1);

}  // namespace lumerra
