#include "history/RevisionChain.h"

#include <algorithm>
#include <optional>
#include <unordered_set>

#include "common/Exceptions.h"
#include "common/Message.h"
#include "history/EofMarkers.h"
#include "history/TableKeyword.h"
#include "pdf/ObjectReader.h"
#include "pdf/PDFAnalyst.h"
#include "pdf/StartXref.h"
#include "syntax/Tokenizer.h"

namespace lumerra {

namespace {

// How far before "%%EOF" the word "startxref" and the offset are looked for.
constexpr int64_t StartXrefReach = 256;

int32_t ClampedOffset(int64_t Offset) { return static_cast<int32_t>(std::clamp<int64_t>(Offset, -1, INT32_MAX)); }

// The offset that "startxref N" right before the marker at Marker names;
// -1 when the bytes before it are not that.
int64_t StartXrefBefore(TStream& File, int64_t Marker) {
    const int64_t start = std::max<int64_t>(Marker - StartXrefReach, 0);
    std::vector<uint8_t> bytes(static_cast<size_t>(Marker - start));
    File.SetPosition(start);
    File.ReadBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
    const std::optional<TStartXref> found = LastStartXref(bytes);
    if (!found) return -1;
    // Only white space and comments between the offset and the marker.
    TTokenizer rest(std::span<const uint8_t>(bytes).subspan(found->End));
    return rest.Next().Type == TTokenType::End ? found->Offset : -1;
}

// The section at Offset; raises EDamagedInput when it cannot be read.
TXrefSection ReadSection(TObjectReader& Reader, int64_t Offset) {
    TXrefSection section;
    switch (ReadXrefSection(Reader, Offset, section)) {
        case TXrefSectionFault::None:
            return section;
        case TXrefSectionFault::NotASection:
            throw EDamagedInput(TMessageCode::XrefOffsetInvalid, ClampedOffset(Offset));
        case TXrefSectionFault::BadTrailer:
            throw EDamagedInput(TMessageCode::TrailerInvalid, ClampedOffset(Offset));
        default:
            throw EDamagedInput(TMessageCode::XrefCountInvalid, ClampedOffset(Offset));
    }
}

// Section Section and, for a hybrid file's table, the stream beside it.
void AddWithBeside(TObjectReader& Reader, TXrefSection Section, std::vector<TRevisionSection>& Out) {
    const int64_t beside = Section.Kind == TXrefSection::TKind::Table ? Section.XRefStm() : -1;
    Out.push_back({std::move(Section), false});
    if (beside < 0) return;
    TXrefSection stream = ReadSection(Reader, beside);
    if (stream.Kind != TXrefSection::TKind::Stream) throw EDamagedInput(TMessageCode::XrefOffsetInvalid, ClampedOffset(beside));
    Out.push_back({std::move(stream), true});
}

// The sections of the chain from Newest, newest first; each hybrid table's
// stream right after it.
std::vector<TRevisionSection> ReadChain(TObjectReader& Reader, int64_t Newest) {
    std::vector<TRevisionSection> chain;
    std::unordered_set<int64_t> seen;
    for (int64_t offset = Newest; offset != -1;) {
        if (!seen.insert(offset).second) throw EDamagedInput(TMessageCode::XrefOffsetInvalid, ClampedOffset(offset));
        const size_t at = chain.size();
        AddWithBeside(Reader, ReadSection(Reader, offset), chain);
        if (chain.size() > at + 1 && !seen.insert(chain.back().Section.Offset).second)
            throw EDamagedInput(TMessageCode::XrefOffsetInvalid, ClampedOffset(chain.back().Section.Offset));
        offset = chain[at].Section.Prev();
    }
    return chain;
}

// A marker that "startxref N" comes right before.
struct TNamingMarker {
    int64_t End = 0;  // just past the marker
    int64_t Named = -1;
};

// Each section named, with the first marker that names it: markers right
// after another ("%%EOF" is a comment) name the same section again.
std::vector<TNamingMarker> NamingMarkers(TStream& File, const std::vector<int64_t>& Markers) {
    std::vector<TNamingMarker> naming;
    std::unordered_set<int64_t> named;
    for (const int64_t marker : Markers)
        if (const int64_t offset = StartXrefBefore(File, marker); offset >= 0 && named.insert(offset).second)
            naming.push_back({EndOfMarkerLine(File, marker), offset});
    return naming;
}

// The sections at Offset, when they read.
std::optional<std::vector<TRevisionSection>> SectionsAt(TObjectReader& Reader, int64_t Offset) {
    std::vector<TRevisionSection> sections;
    try {
        AddWithBeside(Reader, ReadSection(Reader, Offset), sections);
    } catch (const EDamagedInput&) {
        return std::nullopt;
    }
    return sections;
}

// The sections of the revision that ends at Marker, from the table found by
// its keyword after From, when the marker's startxref names no section;
// what was taken instead is told in Found. Origin: where the header is.
std::optional<std::vector<TRevisionSection>> TableBefore(TObjectReader& Reader, int64_t From, const TNamingMarker& Marker,
                                                         int64_t Origin, std::vector<TDiagnostic>& Found) {
    const int64_t table = LastTableKeyword(*Reader.Analyst().Stream(), From, Marker.End);
    if (table < 0 || table == Marker.Named) return std::nullopt;
    auto sections = SectionsAt(Reader, table);
    if (sections) {
        TDiagnostic diagnostic;
        diagnostic.Message = MakeMessage(TMessageCode::TableFoundBeforeMarker, Marker.Named + Origin, table + Origin);
        diagnostic.Offset = table + Origin;
        Found.push_back(std::move(diagnostic));
    }
    return sections;
}

TRevision RevisionOf(std::vector<TRevisionSection> Sections, int64_t End) {
    TRevision revision;
    revision.Kind = Sections.front().Section.Kind;
    revision.Offset = Sections.front().Section.Offset;
    revision.End = End;
    revision.Sections = std::move(Sections);
    return revision;
}

// The revisions of the chain, oldest first. Each section ends at the first
// marker after it (the file's end when none follows).
std::vector<TRevision> ChainRevisions(std::vector<TRevisionSection> Chain, TStream& File,
                                      const std::vector<int64_t>& Markers) {
    const auto endOf = [&](int64_t Offset) {
        const auto marker = std::lower_bound(Markers.begin(), Markers.end(), Offset);
        return marker != Markers.end() ? EndOfMarkerLine(File, *marker) : int64_t{File.Size()};
    };
    // Newest first, a section starts an older revision when it ends before
    // the revision in hand; one that ends after it (a linearized file's
    // main table behind its first page's) belongs to it, as does a beside
    // stream to its table.
    std::vector<TRevision> newestFirst;
    for (TRevisionSection& entry : Chain) {
        const int64_t end = endOf(entry.Section.Offset);
        if (entry.Beside || (!newestFirst.empty() && end >= newestFirst.back().End)) {
            TRevision& revision = newestFirst.back();
            if (!entry.Beside) revision.End = std::max(revision.End, end);
            revision.Sections.push_back(std::move(entry));
            continue;
        }
        newestFirst.push_back(RevisionOf({std::move(entry)}, end));
    }
    return {std::make_move_iterator(newestFirst.rbegin()), std::make_move_iterator(newestFirst.rend())};
}

bool InChain(const std::vector<TRevision>& Revisions, int64_t Offset) {
    return std::any_of(Revisions.begin(), Revisions.end(), [&](const TRevision& Revision) {
        return std::any_of(Revision.Sections.begin(), Revision.Sections.end(),
                           [&](const TRevisionSection& Entry) { return Entry.Section.Offset == Offset; });
    });
}

// Whether a revision of the chain ends at End: the marker there is its own,
// whatever its startxref names.
bool EndsRevision(const std::vector<TRevision>& Revisions, int64_t End) {
    return std::any_of(Revisions.begin(), Revisions.end(), [&](const TRevision& Revision) { return Revision.End == End; });
}

// Each revision and unlinked section starts where the one before it in the
// file ends; the first at the file's first byte.
void SetStarts(TRevisionChain& Chain) {
    std::vector<int64_t> ends;
    for (const auto* list : {&Chain.Revisions, &Chain.Unlinked})
        for (const TRevision& revision : *list) ends.push_back(revision.End);
    std::sort(ends.begin(), ends.end());
    for (auto* list : {&Chain.Revisions, &Chain.Unlinked})
        for (TRevision& revision : *list) {
            const auto before = std::lower_bound(ends.begin(), ends.end(), revision.End);
            revision.Start = before == ends.begin() ? 0 : *(before - 1);
        }
}

}  // namespace

TRevisionChain ReadRevisionChain(TObjectReader& Reader) {
    TStream& file = *Reader.Analyst().Stream();
    const std::vector<int64_t> markers = EofMarkers(file);
    if (markers.empty()) throw EDamagedInput(TMessageCode::NoEof, -1);
    const std::vector<TNamingMarker> naming = NamingMarkers(file, markers);

    // The reader counts from the header; the revisions' bytes are the file's
    // own, junk before the header and all.
    const int64_t origin = Reader.Analyst().HeaderOffset();
    TRevisionChain result;
    try {
        const int64_t newest = StartXrefBefore(file, markers.back());
        if (newest < 0) throw EDamagedInput(TMessageCode::NoStartXref, ClampedOffset(markers.back()));
        result.Revisions = ChainRevisions(ReadChain(Reader, newest), file, markers);
        // What the chain does not reach: an earlier document that another
        // was appended to, or updates whose /Prev was lost.
        for (const TNamingMarker& marker : naming)
            if (!InChain(result.Revisions, marker.Named) && !EndsRevision(result.Revisions, marker.End))
                if (auto sections = SectionsAt(Reader, marker.Named))
                    result.Unlinked.push_back(RevisionOf(std::move(*sections), marker.End));
    } catch (const EDamagedInput& Damage) {
        // The chain cannot be followed: each marker whose startxref names a
        // section that reads is a revision, and so is one whose table is
        // found before it though its startxref names none.
        result.Revisions.clear();
        result.Unlinked.clear();
        int64_t after = 0;  // the revision before ends here
        for (const TNamingMarker& marker : naming) {
            auto sections = SectionsAt(Reader, marker.Named);
            if (!sections) sections = TableBefore(Reader, after, marker, origin, result.TablesFound);
            if (sections) result.Revisions.push_back(RevisionOf(std::move(*sections), marker.End));
            after = marker.End;
        }
        if (result.Revisions.empty()) throw;
        TDiagnostic diagnostic = ErrorDiagnostic(Damage);
        diagnostic.Message = MakeMessage(TMessageCode::RevisionsFromMarkers, diagnostic.Message);
        diagnostic.Severity = TDiagnosticSeverity::Warning;
        result.ChainDamage = std::move(diagnostic);
    }
    SetStarts(result);
    result.AfterLastEof = file.Size() - EndOfMarkerLine(file, markers.back());
    for (auto* list : {&result.Revisions, &result.Unlinked})
        for (TRevision& revision : *list) {
            revision.Offset += origin;
            if (revision.Start > 0) revision.Start += origin;
            revision.End += origin;
        }
    return result;
}

}  // namespace lumerra
