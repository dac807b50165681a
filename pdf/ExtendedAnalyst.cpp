#include "pdf/ExtendedAnalyst.h"

#include "common/Message.h"
#include "pdf/ObjectReader.h"
#include "pdf/ObjectStreamCache.h"
#include "pdf/PdfHeader.h"
#include "pdf/SecurityHandler.h"
#include "pdf/StreamData.h"

namespace lumerra {

TExtendedAnalyst::TExtendedAnalyst() = default;

TExtendedAnalyst::~TExtendedAnalyst() = default;

void TExtendedAnalyst::ClearReading() {
    FDecodingStreams.clear();
    FTreeReader.reset();
    FEncryptTrailer = -1;
    FEncryptingTrailer.reset();
}

void TExtendedAnalyst::Analyze() {
    // The header may follow a few bytes of junk: offsets then count from it.
    // A file without one, or without a version to read, is read all the same.
    const TPdfHeader header = FindPdfHeader(*FStream);
    if (header.Offset > 0) ShiftToHeader(header.Offset);
    Loading().Version = header.Version;
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
        ReadStructure();
        if (!FTableOnly) GetPageList(nullptr);
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

void TExtendedAnalyst::ShiftToHeader(int32_t Offset) {
    if (auto* file = dynamic_cast<TFileStream*>(FStream.get())) {
        file->StartAt(Offset);
    } else if (const auto* view = dynamic_cast<const TMemoryView*>(FStream.get())) {
        // The bytes stay where they are (FBytes, or the caller's).
        FStream = std::make_unique<TMemoryView>(view->Data() + Offset, static_cast<int32_t>(FStream->Size()) - Offset);
    }
    FStream->SetPosition(0);
    Loading().HeaderOffset = Offset;
}

void TExtendedAnalyst::ReadStructure() {
    // As readers look for it: the last "startxref", whatever follows.
    const int64_t xrefOffset = FindStartXref(*FStream);
    if (xrefOffset < 0) Fail(TMessageCode::XrefOffsetUnreadable, FStream->Size());
    Loading().FreeObjects.clear();
    ReadXrefChain(xrefOffset);
    if (Doc().Encrypted) OpenSecurityOrStayLocked();
    if (FTableOnly) return;
    if (Doc().RootID == -1) Fail(TMessageCode::NoRoot, xrefOffset);
    ReadCatalog();
    if (Doc().FirstPagesID == -1) Fail(TMessageCode::NoFirstPages, Locate(Doc().RootID).Offset(), Doc().RootID);
    ReadPageCount();
    ReadFirstPage();
}

void TExtendedAnalyst::GrowTable(int64_t End, int64_t At) {
    TPDFAnalyst::GrowTable(End, At);
    Loading().Compressed.resize(Doc().ObjectOffsets.size());
    Loading().Generations.resize(Doc().ObjectOffsets.size(), -1);
}

TObjectLocation TExtendedAnalyst::Locate(int32_t ID) {
    if (!IsValidID(ID) || !FStream) return {};
    const auto slot = static_cast<size_t>(ID);
    if (const TCompressedEntry& entry = Doc().Compressed[slot]; entry.Stream >= 0)
        return TObjectLocation::InObjectStream(entry.Stream, entry.Index);
    // A free entry is no object.
    if (Doc().FreeObjects[slot]) return {};
    return TPDFAnalyst::Locate(ID);
}

std::unique_ptr<TObjectReader> TExtendedAnalyst::ObjectModel() { return std::make_unique<TObjectReader>(*this); }

void TExtendedAnalyst::AppendPages(TIDList& List) {
    // Walked once, by the load.
    if (const auto& pages = Doc().PageList) List.insert(List.end(), pages->begin(), pages->end());
}

}  // namespace lumerra
