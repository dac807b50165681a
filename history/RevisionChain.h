// The revisions of a file: the original and each incremental update, read
// section by section along the cross-reference chain, with the bytes each
// one occupies.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "common/Diagnostic.h"

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
    int64_t Offset = 0;  // in the file's own bytes, as Start and End
    // Its bytes: from the previous revision's end (0 for the first) to just
    // past its "%%EOF" and what belongs to the marker after it.
    int64_t Start = 0;
    int64_t End = 0;
    // Its sections, the one startxref names first. More than one for a
    // hybrid file's table and stream, or a linearized file's two tables.
    std::vector<TRevisionSection> Sections;
};

struct TRevisionChain {
    std::vector<TRevision> Revisions;  // the oldest first
    // Sections that a "%%EOF" marker's startxref names but the chain does
    // not reach, in file order: an earlier document another was appended
    // to, or updates whose /Prev was lost.
    std::vector<TRevision> Unlinked;
    // Why the chain could not be followed, when it could not: the revisions
    // are then the sections that the markers name, in file order.
    std::optional<TDiagnostic> ChainDamage;
    // Then, for each marker whose startxref names no section, the table
    // found by its keyword before the marker and taken instead.
    std::vector<TDiagnostic> TablesFound;
    // Bytes after the last "%%EOF" and what belongs to it (as triage counts).
    int64_t AfterLastEof = 0;
};

// The revisions of the document Reader reads, following /Prev from the
// startxref before the last "%%EOF". When a section of the chain cannot be
// read, or the chain comes back to a section read before, the revisions are
// those the markers name (ChainDamage says why), or the tables found before
// them (TablesFound); EDamagedInput is raised only when no revision reads.
TRevisionChain ReadRevisionChain(TObjectReader& Reader);

}  // namespace lumerra
