#include "pdf/DefaultAnalyst.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "common/Message.h"
#include "pdf/ObjectScanner.h"
#include "pdf/StreamData.h"

namespace lumerra {

namespace {

// Each cross-reference entry takes at least 19 bytes of the file.
constexpr int64_t MinimumEntrySize = 19;
// An offset text longer than this cannot be a 32-bit number.
constexpr size_t MaximumOffsetText = 32;
// A /MediaBox text is kept up to this many bytes; the rest is read past.
constexpr size_t MaximumBoxText = 64 * 1024;

uint8_t ByteAt(TStream& S, int32_t position) {
    uint8_t c;
    S.SetPosition(position);
    S.ReadBuffer(&c, 1);
    return c;
}

}  // namespace

void TDefaultAnalyst::Analyze() {
    TStream& S = *FStream;
    char header[5];
    S.ReadBuffer(header, 5);
    if (std::memcmp(header, "%PDF-", 5) != 0) Fail(TMessageCode::NotPdf);
    TToken version;
    if (NextToken(S, version) == TTokenKind::EndOfData) throw EDamagedInput::FileEnds(5);
    Loading().Version = version.Text;
    if (Doc().Version.size() < 3) Fail(TMessageCode::NotPdf);
    const std::string digits{Doc().Version[0], Doc().Version[2]};
    if (StrToIntDef(digits, 15) >= 15) Fail(TMessageCode::UnsupportedFormat);
    ReadStructure();
}

int32_t TDefaultAnalyst::EndMarkerOffset(TStream& S) {
    const int32_t size = S.Size();
    // The end marker: the last bytes before trailing white space.
    int32_t last = size - 1;
    while (last >= 0 && IsDefaultReadingWhiteSpace(ByteAt(S, last))) --last;
    if (last < 4) Fail(TMessageCode::NoEof, 0);
    char marker[5];
    S.SetPosition(last - 4);
    S.ReadBuffer(marker, 5);
    if (std::memcmp(marker, "%%EOF", 5) != 0) Fail(TMessageCode::NoEof, last - 4);

    // The word just before "%%EOF" is the offset of the newest section.
    int32_t cursor = last - 5;
    while (cursor >= 0 && IsDefaultReadingWhiteSpace(ByteAt(S, cursor))) --cursor;
    std::string offsetText;
    while (cursor >= 0 && offsetText.size() <= MaximumOffsetText) {
        const uint8_t c = ByteAt(S, cursor);
        if (IsDefaultReadingWhiteSpace(c)) break;
        offsetText += static_cast<char>(c);
        --cursor;
    }
    std::reverse(offsetText.begin(), offsetText.end());
    const int32_t xrefOffset = StrToIntDef(offsetText, -1);
    if (xrefOffset == -1 || offsetText.size() > MaximumOffsetText) Fail(TMessageCode::XrefOffsetUnreadable, cursor + 1);
    return xrefOffset;
}

void TDefaultAnalyst::ReadStructure() {
    const int32_t xrefOffset = EndMarkerOffset(*FStream);
    Loading().FreeObjects.clear();
    ReadXrefSection(xrefOffset);
    if (Doc().RootID == -1) Fail(TMessageCode::NoRoot, xrefOffset);
    ReadCatalog();
    if (Doc().FirstPagesID == -1) Fail(TMessageCode::NoFirstPages, Locate(Doc().RootID).Offset(), Doc().RootID);
    ReadPageCount();
    ReadFirstPage();
}

void TDefaultAnalyst::ReadXrefSection(int32_t Offset) {
    TStream& S = *FStream;
    std::string token;
    // The /Prev chain is followed in a loop; an offset read before ends it.
    std::unordered_set<int32_t> seen;
    int32_t offset = Offset;
    try {
        while (offset != -1) {
            if (offset < 0 || !seen.insert(offset).second) Fail(TMessageCode::XrefOffsetInvalid, offset);
            Loading().XrefOffsets.push_back(std::to_string(offset));
            int32_t prevOffset = -1;

            char keyword[4];
            S.SetPosition(offset);
            S.ReadBuffer(keyword, 4);
            if (std::memcmp(keyword, "xref", 4) != 0) Fail(TMessageCode::XrefOffsetInvalid, offset);

            for (;;) {
                const int32_t at = S.Position();
                const int32_t first = StrToIntDef(ReadToken(S, token), -1);
                if (first < 0) Fail(TMessageCode::XrefFirstInvalid, at);
                const int32_t count = StrToIntDef(ReadToken(S, token), -1);
                if (count < 0) Fail(TMessageCode::XrefCountInvalid, at);
                ReadSubsectionEntries(first, count);

                const int32_t position = S.Position();
                if (ReadToken(S, token) == "trailer") break;
                S.SetPosition(position);
            }

            SkipWhiteSpace(S);
            char open[2];
            const int32_t trailer = S.Position();
            S.ReadBuffer(open, 2);
            if (open[0] != '<' || open[1] != '<') Fail(TMessageCode::TrailerInvalid, trailer);

            while (ReadToken(S, token) != "startxref") {
                const int32_t at = S.Position();
                if (token == "/Root") {
                    ReadToken(S, token);
                    if (Doc().RootID == -1) {
                        Loading().RootID = StrToIntDef(token, -1);
                        if (Doc().RootID == -1) Fail(TMessageCode::RootFailed, at);
                    }
                } else if (token == "/Prev") {
                    prevOffset = StrToIntDef(ReadToken(S, token), -1);
                    if (prevOffset == -1) Fail(TMessageCode::PrevFailed, at);
                } else if (token == "/Info") {
                    ReadToken(S, token);
                    if (Doc().InfoID == -1) {
                        Loading().InfoID = StrToIntDef(token, -1);
                        if (Doc().InfoID == -1) Fail(TMessageCode::InfoFailed, at);
                    }
                } else if (token == "/Encrypt") {
                    Loading().Encrypted = true;
                }
            }
            offset = prevOffset;
        }
    } catch (const EReadError&) {
        // The section at offset runs into the end of the file.
        throw EDamagedInput::FileEnds(offset);
    }
}

void TDefaultAnalyst::ReadSubsectionEntries(int32_t First, int32_t Count) {
    TStream& S = *FStream;
    // Refuse claims the file cannot back before any memory is sized.
    const int64_t size = S.Size();
    const int32_t at = S.Position();
    if (Count > (size - at) / MinimumEntrySize) Fail(TMessageCode::XrefCountInvalid, at);
    GrowTable(int64_t{First} + Count, at);

    TDocument& doc = Loading();
    SkipWhiteSpace(S);
    // An entry: the 10-byte offset, 8 bytes that end with the type, and a
    // line end of one byte, or two when the first is CR or space and the
    // second LF or CR.
    char entry[20];
    for (int32_t i = 0; i < Count; ++i) {
        int32_t available;
        const uint8_t* window = S.ReadWindow(available);
        const auto secondLineEnd = [&entry] {
            return (entry[18] == '\r' || entry[18] == ' ') && (entry[19] == '\n' || entry[19] == '\r');
        };
        int32_t length = 19;
        if (available >= 20) {
            // The common case, straight from the stream's buffer.
            std::memcpy(entry, window, 20);
            if (secondLineEnd()) length = 20;
            S.Seek(length, TSeekOrigin::soCurrent);
        } else {
            // Near a buffer's end or the file's: exact reads, which raise
            // EReadError when the entry is cut short.
            S.ReadBuffer(entry, 19);
            if (entry[18] == '\r' || entry[18] == ' ') {
                S.ReadBuffer(entry + 19, 1);
                if (secondLineEnd())
                    length = 20;
                else
                    S.Seek(-1, TSeekOrigin::soCurrent);
            }
        }

        const size_t slot = static_cast<size_t>(First) + static_cast<size_t>(i);
        if (doc.ObjectOffsets[slot] != -1) continue;  // a newer section has it
        doc.ObjectOffsets[slot] = StrToIntDef(std::string_view(entry, 10), -1);
        if (doc.ObjectOffsets[slot] == -1) Fail(TMessageCode::XrefCountInvalid, S.Position() - length);
        if (entry[17] == 'f') doc.FreeObjects[slot] = true;
    }
}

void TDefaultAnalyst::ReadCatalog() {
    TPositionKeeper keeper(*FStream);
    TObjectScanner scan = TObjectScanner::OpenObject(*this, Doc().RootID, PageTreeScan);
    // Each value is the first token of a reference; a later key wins.
    auto valueID = [&scan] { return StrToIntDef(scan.Next().Text, -1); };
    scan.Run([&](const TToken& token) {
        if (token.Is("/StructTreeRoot")) {
            Loading().HasStructTree = true;
        } else if (token.Is("/Outlines")) {
            Loading().OutlinesID = valueID();
        } else if (token.Is("/Pages")) {
            Loading().FirstPagesID = valueID();
        } else if (token.Is("/Metadata")) {
            Loading().MetadataID = valueID();
        } else {
            return TScanAction::Default;
        }
        return TScanAction::Handled;
    });
}

void TDefaultAnalyst::ReadPageCount() {
    TPositionKeeper keeper(*FStream);
    TObjectScanner scan = TObjectScanner::OpenObject(*this, Doc().FirstPagesID, PageCountScan);
    scan.Run([&](const TToken& token) {
        if (!token.Is("/Count")) return TScanAction::Default;
        Loading().PageCount = ReadIntegerValue(scan.Stream());
        return TScanAction::Handled;
    });
}

std::string& TDefaultAnalyst::GetMediaBoxText(int32_t ID, std::string& Text) {
    Text.clear();
    if (!IsValidID(ID)) return Text;
    TStream& S = *FStream;
    TPositionKeeper keeper(S);
    // The box is inherited from the nearest ancestor that has one; a /Parent
    // chain that comes back to a node already seen ends the search.
    std::unordered_set<int32_t> visited;
    for (int32_t node = ID; IsValidID(node) && visited.insert(node).second;) {
        int32_t parent = -1;
        bool found = false;
        TObjectScanner scan = TObjectScanner::OpenObject(*this, node, MediaBoxScan);
        scan.Run([&](const TToken& token) {
            if (token.Is("/Parent")) {
                parent = StrToIntDef(scan.Next().Text, -1);
                return TScanAction::Handled;
            }
            if (!token.Is("/MediaBox")) return TScanAction::Default;
            // The raw bytes up to the first "]", white space and all.
            for (;;) {
                uint8_t c;
                scan.Stream().ReadBuffer(&c, 1);
                if (Text.size() < MaximumBoxText) Text += static_cast<char>(c);
                if (c == ']') break;
            }
            found = true;
            return TScanAction::Stop;
        });
        if (found || parent == -1) break;
        node = parent;
    }
    return Text;
}

template <class TLeafHandler>
void TDefaultAnalyst::WalkPageTree(TLeafHandler&& OnLeaf) {
    // Depth first with an explicit stack, so that no tree is too deep. A kid
    // that is already on the current path (a cycle) is not entered, and a
    // node whose kids were walked once is not walked again, so every walk is
    // bounded by the size of the file.
    struct TFrame {
        int32_t ID;
        TIDList Kids;
        size_t Next = 0;
    };
    std::vector<TFrame> path;
    std::unordered_set<int32_t> onPath;
    std::unordered_set<int32_t> expanded;
    // Whether each node scanned so far is a leaf. A node reached again adds
    // nothing but its leaf, so it is not scanned again: a node listed many
    // times with many kids would otherwise cost their product.
    std::unordered_map<int32_t, bool> scannedLeaf;

    // Scans node ID; returns false when the walk is to end.
    auto enter = [&](int32_t ID) {
        if (const auto known = scannedLeaf.find(ID); known != scannedLeaf.end())
            return !known->second || OnLeaf(ID);
        TFrame frame{ID, {}};
        bool leaf = false;
        TObjectScanner scan = TObjectScanner::OpenObject(*this, ID, PageTreeScan);
        scan.Run([&](const TToken& token) {
            if (token.Is("/Kids")) {
                ReadIDList(scan.Stream(), frame.Kids);
                return TScanAction::Handled;
            }
            if (token.Is("/Page")) {
                leaf = true;
                return TScanAction::Stop;
            }
            return TScanAction::Default;
        });
        scannedLeaf.emplace(ID, leaf);
        if (leaf && !OnLeaf(ID)) return false;
        if (!frame.Kids.empty() && expanded.insert(ID).second) {
            onPath.insert(ID);
            path.push_back(std::move(frame));
        }
        return true;
    };

    if (!enter(Doc().FirstPagesID)) return;
    while (!path.empty()) {
        TFrame& top = path.back();
        if (top.Next == top.Kids.size()) {
            onPath.erase(top.ID);
            path.pop_back();
            continue;
        }
        const int32_t kid = top.Kids[top.Next++];
        if (onPath.count(kid) != 0) continue;
        if (!enter(kid)) return;
    }
}

void TDefaultAnalyst::ReadFirstPage() {
    Loading().FirstPageID = -1;
    WalkPageTree([this](int32_t ID) {
        Loading().FirstPageID = ID;
        return false;
    });
    if (Doc().FirstPageID == -1) return;
    std::string text;
    ParseBox(GetMediaBoxText(Doc().FirstPageID, text), Loading().MediaBox);
}

void TDefaultAnalyst::AppendPages(TIDList& List) {
    WalkPageTree([&List](int32_t ID) {
        List.push_back(ID);
        return true;
    });
}

}  // namespace lumerra
