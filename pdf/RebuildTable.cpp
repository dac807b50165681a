// Extended reading's last resort for a damaged file: the object table from
// one pass over the file, then the catalog and the page tree as usual.
#include <algorithm>

#include "common/Exceptions.h"
#include "common/Message.h"
#include "pdf/ObjectStreamCache.h"
#include "pdf/PDFAnalyst.h"
#include "pdf/Repair.h"
#include "pdf/SecurityHandler.h"

namespace lumerra {

namespace {


}  // namespace

void TPDFAnalyst::ForgetStructure() {
    FObjectOffsets.clear();
    FFreeObjects.clear();
    FCompressed.clear();
    FObjectStreams.reset();
    FObjectCount = -1;
    FRootID = FInfoID = FMetadataID = FFirstPageID = FFirstPagesID = FOutlinesID = FPageCount = -1;
    FEncrypted = FHasStructTree = false;
    FEncryptTrailer = -1;
    FEncryptingTrailer.reset();
    FSecurity.reset();
    FXrefOffsets.clear();
    FCensus = {};
    FMediaBox = TBox{};
    FPageList.reset();
    FDirectPages.clear();
}

int64_t TPDFAnalyst::ObjectMisplaced(const TMisplacedObject& What, TStream& File) {
    // A rebuilt table took each offset from the object it found there.
    if (FRepaired) return -1;
    if (!FTryingTable) return FLateRepair->Relocate(File, What);
    if (!FMisplaced) FMisplaced = What;
    throw EDamagedInput(TMessageCode::XrefOffsetInvalid, What.Offset, What.Number);
}

void TPDFAnalyst::RebuildTable() {
    ForgetStructure();
    const TRepairScan scan = ScanForObjects(*FStream);

    // Numbers the file could not back are dropped, as a table's would be
    // refused.
    const int64_t limit = TableLimit();
    int64_t end = 1;
    for (const auto& [number, offset] : scan.Objects)
        if (number < limit) end = std::max(end, int64_t{number} + 1);
    GrowTable(end, 0);
    for (const auto& [number, offset] : scan.Objects)
        if (number < end) FObjectOffsets[static_cast<size_t>(number)] = offset;

    // An encrypted file is opened first: its object streams are encrypted.
    FEncrypted = scan.Encrypted;
    if (FEncrypted && scan.EncryptTrailer >= 0) {
        FEncryptTrailer = scan.EncryptTrailer;
        OpenSecurity();
    }

    // The objects inside object streams, unless the file defines them again
    // further on.
    for (const int32_t stream : scan.ObjectStreams) {
        const TDecodedObjectStream* decoded = ObjectStream(stream);
        if (decoded == nullptr) continue;
        const int64_t at = FObjectOffsets[static_cast<size_t>(stream)];
        int32_t index = 0;
        for (const auto& entry : decoded->Index.Entries()) {
            const int32_t number = entry.Number;
            if (number >= 0 && number < end && number != stream) {
                const auto slot = static_cast<size_t>(number);
                if (FObjectOffsets[slot] < at) {
                    FObjectOffsets[slot] = -2;
                    FCompressed[slot] = {stream, index};
                }
            }
            ++index;
        }
    }

    // The newest trailer's root, or else the last catalog in the file.
    FRootID = HasObject(scan.Root) ? scan.Root : scan.LastCatalog;
    FInfoID = HasObject(scan.Info) ? scan.Info : -1;
    FRepaired = true;
    int64_t found = 0;
    for (size_t i = 0; i < FObjectOffsets.size(); ++i) found += FObjectOffsets[i] >= 0 || FCompressed[i].Stream >= 0;
    AddWarning(MakeMessage(TMessageCode::TableRebuilt, found));

    if (FRootID == -1) Fail(TMessageCode::NoPageTree);
    ReadCatalog();
    if (FFirstPagesID == -1) Fail(TMessageCode::NoPageTree);
    ReadPageCount();
    ReadFirstPage();
}

}  // namespace lumerra
