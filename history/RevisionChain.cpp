#include "history/RevisionChain.h"

#include <algorithm>
#include <optional>
#include <unordered_set>

#include "common/Exceptions.h"
#include "common/Message.h"
#include "history/EofMarkers.h"
#include "pdf/ObjectReader.h"
#include "pdf/PDFAnalyst.h"
#include "pdf/StartXref.h"
#include "syntax/Tokenizer.h"

namespace lumerra {

namespace {

// How far before "%%EOF" the word "startxref" and the offset are looked for.
constexpr int64_t StartXrefReach = 256;

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
    const int32_t at = static_cast<int32_t>(std::clamp<int64_t>(Offset, -1, INT32_MAX));
    switch (ReadXrefSection(Reader, Offset, section)) {
        case TXrefSectionFault::None:
            return section;
        case TXrefSectionFault::NotASection:
            throw EDamagedInput(TMessageCode::XrefOffsetInvalid, at);
        case TXrefSectionFault::BadTrailer:
            throw EDamagedInput(TMessageCode::TrailerInvalid, at);
        default:
            throw EDamagedInput(TMessageCode::XrefCountInvalid, at);
    }
}

// The sections of the chain from Newest, newest first; each hybrid table's
// stream right after it.
std::vector<TRevisionSection> ReadChain(TObjectReader& Reader, int64_t Newest) {
    std::vector<TRevisionSection> chain;
    std::unordered_set<int64_t> seen;
    const auto read = [&](int64_t Offset, bool Beside) -> const TXrefSection& {
        if (!seen.insert(Offset).second)
            throw EDamagedInput(TMessageCode::XrefOffsetInvalid, static_cast<int32_t>(std::min<int64_t>(Offset, INT32_MAX)));
        chain.push_back({ReadSection(Reader, Offset), Beside});
        return chain.back().Section;
    };
    for (int64_t offset = Newest; offset != -1;) {
        const TXrefSection& section = read(offset, false);
        offset = section.Prev();
        if (section.Kind != TXrefSection::TKind::Table || section.XRefStm() < 0) continue;
        const int64_t beside = section.XRefStm();
        if (read(beside, true).Kind != TXrefSection::TKind::Stream)
            throw EDamagedInput(TMessageCode::XrefOffsetInvalid, static_cast<int32_t>(std::min<int64_t>(beside, INT32_MAX)));
    }
    return chain;
}

}  // namespace

TRevisionChain ReadRevisionChain(TObjectReader& Reader) {
    TStream& file = *Reader.Analyst().Stream();
    const int64_t lastMarker = LastEofMarker(file);
    if (lastMarker < 0) throw EDamagedInput(TMessageCode::NoEof, -1);
    const int64_t newest = StartXrefBefore(file, lastMarker);
    if (newest < 0) throw EDamagedInput(TMessageCode::NoStartXref, static_cast<int32_t>(lastMarker));
    std::vector<TRevisionSection> chain = ReadChain(Reader, newest);

    // Each section ends at the first marker after it.
    std::vector<int64_t> offsets;
    for (const TRevisionSection& entry : chain) offsets.push_back(entry.Section.Offset);
    std::sort(offsets.begin(), offsets.end());
    const std::vector<int64_t> markers = FirstEofMarkersAfter(file, offsets);
    const auto endOf = [&](int64_t Offset) {
        const int64_t marker = markers[static_cast<size_t>(
            std::lower_bound(offsets.begin(), offsets.end(), Offset) - offsets.begin())];
        return marker >= 0 ? EndOfMarkerLine(file, marker) : int64_t{file.Size()};
    };

    // Newest first, a section starts an older revision when it ends before
    // the revision in hand; one that ends after it (a linearized file's
    // main table behind its first page's) belongs to it, as does a beside
    // stream to its table.
    std::vector<TRevision> newestFirst;
    for (TRevisionSection& entry : chain) {
        const int64_t end = endOf(entry.Section.Offset);
        if (entry.Beside || (!newestFirst.empty() && end >= newestFirst.back().End)) {
            TRevision& revision = newestFirst.back();
            if (!entry.Beside) revision.End = std::max(revision.End, end);
            revision.Sections.push_back(std::move(entry));
            continue;
        }
        TRevision revision;
        revision.Kind = entry.Section.Kind;
        revision.Offset = entry.Section.Offset;
        revision.End = end;
        revision.Sections.push_back(std::move(entry));
        newestFirst.push_back(std::move(revision));
    }

    TRevisionChain result;
    result.Revisions.assign(std::make_move_iterator(newestFirst.rbegin()), std::make_move_iterator(newestFirst.rend()));
    for (size_t i = 1; i < result.Revisions.size(); ++i) result.Revisions[i].Start = result.Revisions[i - 1].End;
    result.AfterLastEof = file.Size() - EndOfMarkerLine(file, lastMarker);
    return result;
}

}  // namespace lumerra
