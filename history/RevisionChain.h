// The revisions of a file: the original and each incremental update, read
// section by section along the cross-reference chain, with the bytes each
// one occupies.
#pragma once

#include <cstdint>
#include <vector>

#include "pdf/XrefSection.h"

namespace lumerra {

class TObjectReader;

struct TRevisionSection {
    TXrefSection Section;
    // A hybrid file's stream beside its table (/XRefStm): its entries fill
    // only what the table leaves absent or free.
    bool Beside = false;
};

struct TRevision {
    // The section the revision's startxref names.
    TXrefSection::TKind Kind = TXrefSection::TKind::Table;
    int64_t Offset = 0;
    // Its bytes: from the previous revision's end (0 for the first) to just
    // past its "%%EOF" and that line's end of line.
    int64_t Start = 0;
    int64_t End = 0;
    // Its sections, the one startxref names first. More than one for a
    // hybrid file's table and stream, or a linearized file's two tables.
    std::vector<TRevisionSection> Sections;
};

struct TRevisionChain {
    std::vector<TRevision> Revisions;  // the oldest first
    // Bytes after the last "%%EOF" and its end of line.
    int64_t AfterLastEof = 0;
};

// The revisions of the document Reader reads, following /Prev from the
// startxref before the last "%%EOF". A section that cannot be read, or a
// chain that comes back to a section read before, raises EDamagedInput.
TRevisionChain ReadRevisionChain(TObjectReader& Reader);

}  // namespace lumerra
