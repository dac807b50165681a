#include "pdf/PDFAnalyst.h"

#include <algorithm>

#include "common/Message.h"
#include "pdf/ObjectReader.h"
#include "pdf/ObjectScanner.h"
#include "pdf/StreamData.h"

namespace lumerra {

namespace {

// The offset table may hold at most one slot per four bytes of the file (or
// this many for small files), so that no claim in a table sizes memory beyond
// what the file itself occupies.
constexpr int64_t MinimumTableLimit = 65536;

}  // namespace

TPDFAnalyst::TPDFAnalyst() { Clear(); }

TPDFAnalyst::~TPDFAnalyst() = default;

void TPDFAnalyst::Clear() {
    ClearReading();
    FStream.reset();
    FBytes.reset();
    FLoading = std::make_shared<TDocument>();
    FDocument = FLoading;
}

void TPDFAnalyst::MarkFailed() {
    if (OnError) OnError(*this);
    Clear();
    Loading().Failed = true;
}

void TPDFAnalyst::LoadFromFile(const std::string& FileName) {
    Clear();
    FStream = std::make_unique<TFileStream>(FileName, OpenMode());
    Loading().FileName = FileName;
    Load();
}

void TPDFAnalyst::LoadFromStream(std::unique_ptr<TStream> Source, const std::string& FileName) {
    Clear();
    if (auto* memory = dynamic_cast<TMemoryStream*>(Source.get())) {
        // Read through views, so that readers on other threads share the
        // bytes instead of copying them.
        Source.release();
        FBytes.reset(memory);
        FStream = std::make_unique<TMemoryView>(memory->Memory(), static_cast<int32_t>(memory->Size()));
    } else {
        FStream = std::move(Source);
    }
    Loading().FileName = FileName;
    Load();
}

void TPDFAnalyst::Load() {
    // Once the load ends, however it ends, the document is read-only.
    struct TLoadEnd {
        std::shared_ptr<TDocument>& Loading;
        ~TLoadEnd() { Loading.reset(); }
    } loadEnd{FLoading};
    if (FStream->Size() < 5) Fail(TMessageCode::FileDamaged, 0);
    Analyze();
    Loading().Loaded = true;
}

std::unique_ptr<TPDFAnalyst> TPDFAnalyst::Reader() const {
    std::unique_ptr<TPDFAnalyst> reader = EmptyReader();
    // The same open file, or a view of the same bytes.
    if (FStream == nullptr || !(reader->FStream = SecondReader(*FStream))) return nullptr;
    reader->FBytes = FBytes;
    reader->FDocument = FDocument;
    reader->FLoading.reset();
    return reader;
}

int64_t TPDFAnalyst::TableLimit() const { return std::max(int64_t{FStream->Size()} / 4, MinimumTableLimit); }

void TPDFAnalyst::GrowTable(int64_t End, int64_t At) {
    if (End > TableLimit()) Fail(TMessageCode::XrefFirstInvalid, At);
    if (Doc().ObjectCount != -1 && End <= Doc().ObjectCount) return;
    Loading().ObjectOffsets.resize(static_cast<size_t>(End), -1);
    Loading().FreeObjects.resize(static_cast<size_t>(End), false);
    Loading().ObjectCount = static_cast<int32_t>(End);
}

TObjectLocation TPDFAnalyst::Locate(int32_t ID) {
    if (!IsValidID(ID) || !FStream) return {};
    const int64_t offset = Doc().ObjectOffsets[static_cast<size_t>(ID)];
    if (offset < 0 || offset >= FStream->Size()) return {};
    return TObjectLocation::InFile(offset);
}

std::shared_ptr<const TDecodedObjectStream> TPDFAnalyst::DecodedObjectStream(int32_t) { return nullptr; }

std::unique_ptr<TObjectReader> TPDFAnalyst::ObjectModel() { return nullptr; }

void TPDFAnalyst::GetPageList(TIDList* List) {
    if (!FStream) throw Exception(TMessageCode::StreamInvalid);
    if (Doc().FirstPagesID == -1) throw Exception(TMessageCode::NoPages);
    if (List != nullptr) AppendPages(*List);
}

std::shared_ptr<const TValue> TPDFAnalyst::DirectPage(int32_t Number) const {
    const int64_t index = int64_t{Number} - Doc().ObjectCount;
    const auto& pages = Doc().DirectPages;
    return index >= 0 && index < static_cast<int64_t>(pages.size()) ? pages[static_cast<size_t>(index)] : nullptr;
}

TPDFAnalyst::TXrefCensus TPDFAnalyst::XrefCensus() const {
    TXrefCensus census = Doc().Census;
    std::vector<int32_t> streams;
    for (const TCompressedEntry& entry : Doc().Compressed) {
        if (entry.Stream < 0) continue;
        ++census.ObjectsInStreams;
        streams.push_back(entry.Stream);
    }
    std::sort(streams.begin(), streams.end());
    census.ObjectStreams = static_cast<int32_t>(std::unique(streams.begin(), streams.end()) - streams.begin());
    return census;
}

int64_t TPDFAnalyst::ObjectMisplaced(const TMisplacedObject& What, TStream& File) {
    // A rebuilt table took each offset from the object it found there.
    if (Doc().Repaired) return -1;
    if (!FTryingTable) return Doc().LateRepair->Relocate(File, What);
    if (!Doc().Misplaced) Loading().Misplaced = What;
    throw EDamagedInput(TMessageCode::XrefOffsetInvalid, What.Offset, What.Number);
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

}  // namespace lumerra
