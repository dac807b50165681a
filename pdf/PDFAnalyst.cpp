#include "pdf/PDFAnalyst.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "common/Message.h"
#include "pdf/ObjectReader.h"
#include "pdf/ObjectScanner.h"
#include "pdf/ObjectStreamCache.h"
#include "pdf/PdfHeader.h"
#include "pdf/SecurityHandler.h"
#include "pdf/StreamData.h"

namespace lumerra {

namespace {

// Each cross-reference entry takes at least 19 bytes of the file.
constexpr int64_t MinimumEntrySize = 19;
// The offset table may hold at most one slot per four bytes of the file (or
// this many for small files), so that no claim in a table sizes memory beyond
// what the file itself occupies.
constexpr int64_t MinimumTableLimit = 65536;
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

TPDFAnalyst::TPDFAnalyst() { Clear(); }

TPDFAnalyst::~TPDFAnalyst() = default;

void TPDFAnalyst::Clear() {
    FTreeReader.reset();
    FObjectOffsets.clear();
    FObjectOffsets.shrink_to_fit();
    FStream.reset();
    FFreeObjects.clear();
    FFreeObjects.shrink_to_fit();
    FVersion.clear();
    FFileName.clear();
    FEncrypted = FFailed = FLoaded = FHasStructTree = false;
    FRootID = FInfoID = FMetadataID = FObjectCount = FPageCount = -1;
    FFirstPageID = FFirstPagesID = FOutlinesID = -1;
    FXrefOffsets.clear();
    FMediaBox = TBox{};
    FCompressed.clear();
    FCompressed.shrink_to_fit();
    FObjectStreams.reset();
    FCensus = {};
    FRepaired = false;
    FWarnings.clear();
    FMisplaced.reset();
    FLateRepair = std::make_shared<TLateRepair>();
    FWarningMessages.clear();
    FEncryptTrailer = -1;
    FEncryptingTrailer.reset();
    FSecurity.reset();
    FPageList.reset();
    FDirectPages.clear();
}

void TPDFAnalyst::MarkFailed() {
    if (OnError) OnError(*this);
    Clear();
    FFailed = true;
}

void TPDFAnalyst::LoadFromFile(const std::string& FileName) {
    Clear();
    // Extended reading reads files of 2 GiB and more; the default reading
    // refuses them when they are opened, as it always has.
    FStream = std::make_unique<TFileStream>(
        FileName, FExtended ? TFileStream::TMode::OpenReadLarge : TFileStream::TMode::OpenRead);
    FFileName = FileName;
    Analyze(*FStream);
    FLoaded = true;
}

std::unique_ptr<TPDFAnalyst> TPDFAnalyst::Reader() const {
    auto reader = std::make_unique<TPDFAnalyst>();
    if (const auto* file = dynamic_cast<const TFileStream*>(FStream.get())) {
        reader->FStream = file->Duplicate();
    } else if (auto* memory = dynamic_cast<TMemoryStream*>(FStream.get())) {
        auto copy = std::make_unique<TMemoryStream>();
        copy->WriteBuffer(memory->Memory(), memory->Size());
        reader->FStream = std::move(copy);
    } else {
        return nullptr;
    }
    reader->FObjectOffsets = FObjectOffsets;
    reader->FFreeObjects = FFreeObjects;
    reader->FVersion = FVersion;
    reader->FFileName = FFileName;
    reader->FObjectCount = FObjectCount;
    reader->FPageCount = FPageCount;
    reader->FRootID = FRootID;
    reader->FInfoID = FInfoID;
    reader->FMetadataID = FMetadataID;
    reader->FFirstPageID = FFirstPageID;
    reader->FFirstPagesID = FFirstPagesID;
    reader->FOutlinesID = FOutlinesID;
    reader->FEncrypted = FEncrypted;
    reader->FFailed = FFailed;
    reader->FLoaded = FLoaded;
    reader->FHasStructTree = FHasStructTree;
    reader->FMediaBox = FMediaBox;
    reader->FExtended = FExtended;
    reader->FCompressed = FCompressed;
    reader->FRepaired = FRepaired;
    reader->FMisplaced = FMisplaced;
    reader->FLateRepair = FLateRepair;
    reader->FPassword = FPassword;
    reader->FEncryptTrailer = FEncryptTrailer;
    reader->FEncryptingTrailer = FEncryptingTrailer;
    reader->FSecurity = FSecurity;
    reader->FPageList = FPageList;
    reader->FDirectPages = FDirectPages;
    return reader;
}

void TPDFAnalyst::LoadFromStream(std::unique_ptr<TStream> Source, const std::string& FileName) {
    Clear();
    FStream = std::move(Source);
    FFileName = FileName;
    Analyze(*FStream);
    FLoaded = true;
}

void TPDFAnalyst::Analyze(TStream& S) {
    if (&S != FStream.get()) throw Exception(TMessageCode::StreamInvalid);
    const int64_t size = S.Size();
    if (size < 5) Fail(TMessageCode::FileDamaged, 0);
    if (FExtended) {
        AnalyzeExtended();
        return;
    }

    char header[5];
    S.ReadBuffer(header, 5);
    if (std::memcmp(header, "%PDF-", 5) != 0) Fail(TMessageCode::NotPdf);
    TToken version;
    if (NextToken(S, version) == TTokenKind::EndOfData) throw EDamagedInput::FileEnds(5);
    FVersion = version.Text;
    if (FVersion.size() < 3) Fail(TMessageCode::NotPdf);
    const std::string digits{FVersion[0], FVersion[2]};
    if (StrToIntDef(digits, 15) >= 15) Fail(TMessageCode::UnsupportedFormat);
    ReadStructure(S);
}

void TPDFAnalyst::AnalyzeExtended() {
    // The header may follow a few bytes of junk: offsets then count from it.
    // A file without one, or without a version to read, is read all the same.
    const TPdfHeader header = FindPdfHeader(*FStream);
    if (header.Offset > 0) ShiftToHeader(header.Offset);
    FVersion = header.Version;
    // Every version up to 2.0.
    if (header.VersionNumber() >= 21) Fail(TMessageCode::UnsupportedFormat);
    // The load's reader ends with the load, however it ends.
    struct TTreeReaderEnd {
        std::unique_ptr<TObjectReader>& Reader;
        ~TTreeReaderEnd() { Reader.reset(); }
    } treeReaderEnd{FTreeReader};
    // The file is read as its table says and, when that fails anywhere up
    // to the page list, the table is rebuilt.
    FTryingTable = true;
    try {
        ReadStructure(*FStream);
        GetPageList(nullptr);
        FTryingTable = false;
        return;
    } catch (const ESecurityError&) {
        FTryingTable = false;  // no rebuilt table opens it either
        MarkFailed();
        throw;
    } catch (const Exception&) {
        FTryingTable = false;
    } catch (...) {
        FTryingTable = false;
        throw;
    }
    // Without a header, a file the rebuild cannot read either is told as no
    // PDF: its own failure then leaves the analyser to that message.
    const bool withoutHeader = header.Offset < 0;
    FTryingTable = withoutHeader;
    FTreeReader.reset();  // what it kept was read by the table that failed
    try {
        RebuildTable();
        FTryingTable = false;
    } catch (const ESecurityError&) {
        FTryingTable = false;
        MarkFailed();
        throw;
    } catch (const Exception&) {
        FTryingTable = false;
        if (!withoutHeader) throw;
        Fail(TMessageCode::NotPdf);
    } catch (...) {
        FTryingTable = false;
        throw;
    }
}

void TPDFAnalyst::ShiftToHeader(int32_t Offset) {
    if (auto* file = dynamic_cast<TFileStream*>(FStream.get())) {
        file->StartAt(Offset);
    } else if (auto* memory = dynamic_cast<TMemoryStream*>(FStream.get())) {
        auto rest = std::make_unique<TMemoryStream>();
        rest->WriteBuffer(memory->Memory() + Offset, memory->Size() - Offset);
        FStream = std::move(rest);
    }
    FStream->SetPosition(0);
}

int32_t TPDFAnalyst::EndMarkerOffset(TStream& S) {
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

void TPDFAnalyst::ReadStructure(TStream& S) {
    int64_t xrefOffset = -1;
    if (FExtended) {
        // As readers look for it: the last "startxref", whatever follows.
        xrefOffset = FindStartXref(S);
        if (xrefOffset < 0) Fail(TMessageCode::XrefOffsetUnreadable, S.Size());
    } else {
        xrefOffset = EndMarkerOffset(S);
    }
    FFreeObjects.clear();
    ReadXrefSection(xrefOffset);
    if (FExtended && FEncrypted) OpenSecurity();
    if (FRootID == -1) Fail(TMessageCode::NoRoot, xrefOffset);
    ReadCatalog();
    if (FFirstPagesID == -1) Fail(TMessageCode::NoFirstPages, Locate(FRootID).Offset(), FRootID);
    ReadPageCount();
    ReadFirstPage();
}

void TPDFAnalyst::ReadXrefSection(int64_t Offset) {
    if (FExtended) {
        ReadXrefChain(Offset);
        return;
    }
    TStream& S = *FStream;
    std::string token;
    // The /Prev chain is followed in a loop; an offset read before ends it.
    std::unordered_set<int32_t> seen;
    auto offset = static_cast<int32_t>(Offset);
    try {
        while (offset != -1) {
            if (offset < 0 || !seen.insert(offset).second) Fail(TMessageCode::XrefOffsetInvalid, offset);
            FXrefOffsets.push_back(std::to_string(offset));
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
                    if (FRootID == -1) {
                        FRootID = StrToIntDef(token, -1);
                        if (FRootID == -1) Fail(TMessageCode::RootFailed, at);
                    }
                } else if (token == "/Prev") {
                    prevOffset = StrToIntDef(ReadToken(S, token), -1);
                    if (prevOffset == -1) Fail(TMessageCode::PrevFailed, at);
                } else if (token == "/Info") {
                    ReadToken(S, token);
                    if (FInfoID == -1) {
                        FInfoID = StrToIntDef(token, -1);
                        if (FInfoID == -1) Fail(TMessageCode::InfoFailed, at);
                    }
                } else if (token == "/Encrypt") {
                    FEncrypted = true;
                    if (FEncryptTrailer < 0) FEncryptTrailer = trailer;
                }
            }
            offset = prevOffset;
        }
    } catch (const EReadError&) {
        // The section at offset runs into the end of the file.
        throw EDamagedInput::FileEnds(offset);
    }
}

void TPDFAnalyst::ReadSubsectionEntries(int32_t First, int32_t Count) {
    TStream& S = *FStream;
    // Refuse claims the file cannot back before any memory is sized.
    const int64_t size = S.Size();
    const int32_t at = S.Position();
    if (Count > (size - at) / MinimumEntrySize) Fail(TMessageCode::XrefCountInvalid, at);
    GrowTable(int64_t{First} + Count, at);

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
        if (FObjectOffsets[slot] != -1) continue;  // a newer section has it
        FObjectOffsets[slot] = StrToIntDef(std::string_view(entry, 10), -1);
        if (FObjectOffsets[slot] == -1) Fail(TMessageCode::XrefCountInvalid, S.Position() - length);
        if (entry[17] == 'f') FFreeObjects[slot] = true;
    }
}

int64_t TPDFAnalyst::TableLimit() const { return std::max(int64_t{FStream->Size()} / 4, MinimumTableLimit); }

void TPDFAnalyst::GrowTable(int64_t End, int64_t At) {
    if (End > TableLimit()) Fail(TMessageCode::XrefFirstInvalid, At);
    if (FObjectCount != -1 && End <= FObjectCount) return;
    FObjectOffsets.resize(static_cast<size_t>(End), -1);
    FFreeObjects.resize(static_cast<size_t>(End), false);
    if (FExtended) FCompressed.resize(static_cast<size_t>(End));
    FObjectCount = static_cast<int32_t>(End);
}

TObjectLocation TPDFAnalyst::Locate(int32_t ID) {
    if (!IsValidID(ID) || !FStream) return {};
    if (FExtended && FCompressed[static_cast<size_t>(ID)].Stream >= 0) {
        const TCompressedEntry& entry = FCompressed[static_cast<size_t>(ID)];
        return TObjectLocation::InObjectStream(entry.Stream, entry.Index);
    }
    // A free entry is no object (the default reading's dialect still reads
    // at the offset its table gives).
    if (FExtended && FFreeObjects[static_cast<size_t>(ID)]) return {};
    const int64_t offset = FObjectOffsets[static_cast<size_t>(ID)];
    if (offset < 0 || offset >= FStream->Size()) return {};
    return TObjectLocation::InFile(offset);
}

void TPDFAnalyst::SkipStreamData(TStream& S, int32_t Length) {
    SkipStreamLineEnd(S);
    SkipData(S, Length);
}

int32_t TPDFAnalyst::ReadObjectInteger(int32_t ID) {
    TPositionKeeper keeper(*FStream);
    TObjectScanner scan = TObjectScanner::OpenObject(*this, ID, IntegerScan);
    int32_t result = 0;
    scan.Run([&result](const TToken& token) {
        if (token.Text[0] < '1' || token.Text[0] > '9') return TScanAction::Default;
        result = StrToIntDef(token.Text, 0);
        return TScanAction::Stop;
    });
    return result;
}

int32_t TPDFAnalyst::ReadIntegerValue(TStream& S) {
    const int32_t position = S.Position();
    int32_t result = 0;
    try {
        const std::string t1 = ReadToken(S);
        const std::string t2 = ReadToken(S);
        const std::string t3 = ReadToken(S);
        if (StrToIntDef(t2, -1) != -1 && t3 == "R") {
            const int32_t ID = StrToIntDef(t1, -1);
            result = IsValidID(ID) ? ReadObjectInteger(ID) : 0;
        } else {
            result = StrToIntDef(t1, 0);
        }
    } catch (const Exception&) {
        // A value that cannot be read counts as 0.
        result = 0;
    }
    S.SetPosition(position);
    return result;
}

namespace {

// The body of an array of references, read as groups of three tokens; the
// first token of every group that is a valid object number is appended.
// Returns true when at least one complete group was read.
bool ReadReferenceRun(const TPDFAnalyst& Analyst, TObjectScanner& Scan, TIDList& List) {
    int64_t read = 0;
    Scan.Run([&](const TToken& token) {
        if (read++ % 3 == 0) {
            if (const int32_t ID = StrToIntDef(token.Text, -1); Analyst.IsValidID(ID)) List.push_back(ID);
        }
        return TScanAction::Handled;
    });
    return read >= 3;
}

// The body of an array of names: every name token. Returns true when there
// was one.
bool ReadNameRun(TObjectScanner& Scan, TStringList& Names) {
    const size_t before = Names.size();
    Scan.Run([&Names](const TToken& token) {
        if (token.Kind == TTokenKind::Name) Names.push_back(token.Text);
        return TScanAction::Handled;
    });
    return Names.size() > before;
}

}  // namespace

bool TPDFAnalyst::ReadIDArrayObject(int32_t ID, TIDList& List) {
    TPositionKeeper keeper(*FStream);
    TObjectScanner scan = TObjectScanner::OpenObject(*this, ID, ArrayScan);
    if (!scan.Next().Is("[")) return false;
    return ReadReferenceRun(*this, scan, List);
}

void TPDFAnalyst::ReadIDList(TStream& S, TIDList& List) {
    TPositionKeeper keeper(S);
    TObjectScanner scan(*this, S, ArrayScan);
    const std::string token = scan.Next().Text;
    if (token == "[") {
        ReadReferenceRun(*this, scan, List);
        return;
    }
    const int32_t ID = StrToIntDef(token, -1);
    if (IsValidID(ID) && !ReadIDArrayObject(ID, List)) List.push_back(ID);
}

bool TPDFAnalyst::ReadNameArrayObject(int32_t ID, TStringList& Names) {
    TPositionKeeper keeper(*FStream);
    TObjectScanner scan = TObjectScanner::OpenObject(*this, ID, ArrayScan);
    if (!scan.Next().Is("[")) return false;
    return ReadNameRun(scan, Names);
}

void TPDFAnalyst::ReadNameList(TStream& S, TStringList& Names) {
    TPositionKeeper keeper(S);
    TObjectScanner scan(*this, S, ArrayScan);
    const TToken& token = scan.Next();
    if (token.Is("[")) {
        ReadNameRun(scan, Names);
    } else if (token.Kind == TTokenKind::Name) {
        Names.push_back(token.Text);
    } else if (token.Text[0] >= '1' && token.Text[0] <= '9') {
        const int32_t ID = StrToIntDef(token.Text, -1);
        if (IsValidID(ID)) ReadNameArrayObject(ID, Names);
    }
}

void TPDFAnalyst::ReadCatalog() {
    if (FExtended) {
        ReadCatalogByKey();
        return;
    }
    TPositionKeeper keeper(*FStream);
    TObjectScanner scan = TObjectScanner::OpenObject(*this, FRootID, PageTreeScan);
    // Each value is the first token of a reference; a later key wins.
    auto valueID = [&scan] { return StrToIntDef(scan.Next().Text, -1); };
    scan.Run([&](const TToken& token) {
        if (token.Is("/StructTreeRoot")) {
            FHasStructTree = true;
        } else if (token.Is("/Outlines")) {
            FOutlinesID = valueID();
        } else if (token.Is("/Pages")) {
            FFirstPagesID = valueID();
        } else if (token.Is("/Metadata")) {
            FMetadataID = valueID();
        } else {
            return TScanAction::Default;
        }
        return TScanAction::Handled;
    });
}

void TPDFAnalyst::ReadPageCount() {
    if (FExtended) {
        ReadPageCountByKey();
        return;
    }
    TPositionKeeper keeper(*FStream);
    TObjectScanner scan = TObjectScanner::OpenObject(*this, FFirstPagesID, PageCountScan);
    scan.Run([&](const TToken& token) {
        if (!token.Is("/Count")) return TScanAction::Default;
        FPageCount = ReadIntegerValue(scan.Stream());
        return TScanAction::Handled;
    });
}

std::string& TPDFAnalyst::GetMediaBoxText(int32_t ID, std::string& Text) {
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
void TPDFAnalyst::WalkPageTree(TLeafHandler&& OnLeaf) {
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

    if (!enter(FFirstPagesID)) return;
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

void TPDFAnalyst::ReadFirstPage() {
    if (FExtended) {
        ReadFirstPageByKey();
        return;
    }
    FFirstPageID = -1;
    WalkPageTree([this](int32_t ID) {
        FFirstPageID = ID;
        return false;
    });
    if (FFirstPageID == -1) return;
    std::string text;
    ParseBox(GetMediaBoxText(FFirstPageID, text), FMediaBox);
}

void TPDFAnalyst::GetPageList(TIDList* List) {
    if (!FStream) throw Exception(TMessageCode::StreamInvalid);
    if (FFirstPagesID == -1) throw Exception(TMessageCode::NoPages);
    if (List == nullptr) return;
    if (FExtended) {
        const TIDList& pages = PageListByKey();
        List->insert(List->end(), pages.begin(), pages.end());
        return;
    }
    WalkPageTree([List](int32_t ID) {
        List->push_back(ID);
        return true;
    });
}

}  // namespace lumerra
