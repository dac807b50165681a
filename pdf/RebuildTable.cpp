// Extended reading's last resort for a damaged file: the object table from
// one pass over the file, then the catalog and the page tree as usual.
#include <algorithm>

#include "common/Exceptions.h"
#include "common/Message.h"
#include "pdf/ExtendedAnalyst.h"
#include "pdf/ObjectStreamCache.h"
#include "pdf/Repair.h"
#include "pdf/SecurityHandler.h"

namespace lumerra {

void TExtendedAnalyst::ForgetStructure() {
    // What the load has told so far stays.
    TDocument& failed = Loading();
    TDocument fresh;
    fresh.Version = std::move(failed.Version);
    fresh.FileName = std::move(failed.FileName);
    fresh.Warnings = std::move(failed.Warnings);
    fresh.WarningMessages = std::move(failed.WarningMessages);
    fresh.Misplaced = std::move(failed.Misplaced);
    fresh.LateRepair = std::move(failed.LateRepair);
    failed = std::move(fresh);
    FEncryptTrailer = -1;
    FEncryptingTrailer.reset();
}

void TExtendedAnalyst::RebuildTable() {
    ForgetStructure();
    TDocument& doc = Loading();
    const TRepairScan scan = ScanForObjects(*FStream);

    // Numbers the file could not back are dropped, as a table's would be
    // refused.
    const int64_t limit = TableLimit();
    int64_t end = 1;
    for (const auto& [number, offset] : scan.Objects)
        if (number < limit) end = std::max(end, int64_t{number} + 1);
    GrowTable(end, 0);
    for (const auto& [number, offset] : scan.Objects)
        if (number < end) doc.ObjectOffsets[static_cast<size_t>(number)] = offset;

    // An encrypted file is opened first: its object streams are encrypted.
    doc.Encrypted = scan.Encrypted;
    if (doc.Encrypted && scan.EncryptTrailer >= 0) {
        FEncryptTrailer = scan.EncryptTrailer;
        OpenSecurityOrStayLocked();
    }

    // The objects inside object streams, unless the file defines them again
    // further on.
    for (const int32_t stream : scan.ObjectStreams) {
        const TDecodedObjectStreamPtr decoded = DecodedObjectStream(stream);
        if (decoded == nullptr) continue;
        const int64_t at = doc.ObjectOffsets[static_cast<size_t>(stream)];
        int32_t index = 0;
        for (const auto& entry : decoded->Index.Entries()) {
            const int32_t number = entry.Number;
            if (number >= 0 && number < end && number != stream) {
                const auto slot = static_cast<size_t>(number);
                if (doc.ObjectOffsets[slot] < at) {
                    doc.ObjectOffsets[slot] = -2;
                    doc.Compressed[slot] = {stream, index};
                    doc.Generations[slot] = 0;
                }
            }
            ++index;
        }
    }

    // The newest trailer's root, or else the last catalog in the file.
    doc.RootID = HasObject(scan.Root) ? scan.Root : scan.LastCatalog;
    doc.InfoID = HasObject(scan.Info) ? scan.Info : -1;
    doc.Repaired = true;
    int64_t found = 0;
    for (size_t i = 0; i < doc.ObjectOffsets.size(); ++i) found += doc.ObjectOffsets[i] >= 0 || doc.Compressed[i].Stream >= 0;
    AddWarning(MakeMessage(TMessageCode::TableRebuilt, found));
    if (FTableOnly) {
        // Nothing to read: the caller tells a file without a header as no PDF.
        if (found == 0) Fail(TMessageCode::NoPageTree);
        return;
    }

    if (Doc().RootID == -1) Fail(TMessageCode::NoPageTree);
    ReadCatalog();
    if (Doc().FirstPagesID == -1) Fail(TMessageCode::NoPageTree);
    ReadPageCount();
    ReadFirstPage();
}

}  // namespace lumerra
