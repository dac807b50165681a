// TExtendedAnalyst: extended reading. PDF 1.5 to 2.0 (cross-reference
// streams, object streams, encryption) and damaged files: a header after
// junk, the last "startxref", and a table rebuilt from the file when its
// own fails. The catalog and the page tree are read by key from parsed
// objects (TObjectReader).
//
// The load fills the document; afterwards every reader made by Reader()
// shares it read-only (the decoded object streams among it) and keeps only
// its read position and its object cache.
#pragma once

#include <memory>
#include <optional>
#include <unordered_set>

#include "pdf/PDFAnalyst.h"

namespace lumerra {

class TObjectReader;
struct TDecodedObjectStream;
struct TXrefSection;

class TExtendedAnalyst final : public TPDFAnalyst {
public:
    TExtendedAnalyst();
    ~TExtendedAnalyst() override;

    TReading Reading() const override { return TReading::Extended; }
    // Files of 2 GiB and more are read.
    TFileStream::TMode OpenMode() const override { return TFileStream::TMode::OpenReadLarge; }
    TObjectLocation Locate(int32_t ID) override;
    std::shared_ptr<const TDecodedObjectStream> DecodedObjectStream(int32_t Number) override;
    std::unique_ptr<TObjectReader> ObjectModel() override;

    // Reads no more than the table, for what needs only the file's
    // structure (its revisions): no catalog and no page tree are looked
    // for, and an encrypted file that the password does not open is read
    // all the same, its strings and streams left as stored.
    void ReadTableOnly() { FTableOnly = true; }

protected:
    void Analyze() override;
    std::unique_ptr<TPDFAnalyst> EmptyReader() const override { return std::make_unique<TExtendedAnalyst>(); }
    void ClearReading() override;
    void AppendPages(TIDList& List) override;
    TInfoEntries ReadInfoEntries() override;  // ExtendedDocInfo.cpp
    void GrowTable(int64_t End, int64_t At) override;

private:
    // Makes the analyser's stream start at the header at Offset.
    void ShiftToHeader(int32_t Offset);
    // From the last "startxref" to the first page, by the file's own table.
    void ReadStructure();
    // The chain (AnalystXref.cpp): each section parsed as a table or a
    // stream, the newest first.
    void ReadXrefChain(int64_t Offset);
    // A section's entries where no newer section gave the object and, unless
    // EntriesOnly (a hybrid file's /XRefStm), its trailer's keys.
    void ApplyXrefSection(const TXrefSection& Section, bool EntriesOnly);
    // Reads the encryption dictionary named by the newest trailer naming it
    // and opens it with the password (AnalystSecurity.cpp); raises
    // ESecurityError.
    void OpenSecurity();
    // OpenSecurity, except that a table-only reading stays locked, with a
    // warning, where the password does not open the file.
    void OpenSecurityOrStayLocked();
    // Value, or the object it refers to when it is a reference (What names
    // it in the error); raises ESecurityError. The encryption dictionary and
    // its parts are never in object streams: those are encrypted with it.
    TValue ResolveInFile(const TValue& Value, const std::string& What);
    // The encryption dictionary Encrypt with its crypt filters (/CF and each
    // of its entries) read where they are indirect objects.
    TValue ResolvedEncryption(const TValue& Encrypt);

    // The last resort (RebuildTable.cpp): the table from one pass over the
    // file (Repair.h), then the catalog and page tree as usual.
    void RebuildTable();
    // Forgets what a failed read of the file's table left behind.
    void ForgetStructure();

    // The catalog and page tree, read by key (AnalystPageTree.cpp); the page
    // list is walked once and kept in the document.
    void ReadCatalog();
    void ReadPageCount();
    void ReadFirstPage();
    const TIDList& PageList();
    // The one reader of those steps while the file loads, so that what one
    // step parsed (the catalog, the root of the page tree) the next finds.
    TObjectReader& TreeReader();

    bool FTableOnly = false;
    // The object streams this reader is decoding: one whose decoding needs
    // itself is refused, not looped.
    std::unordered_set<int32_t> FDecodingStreams;
    // Only while loading.
    std::unique_ptr<TObjectReader> FTreeReader;  // its table may be rebuilt
    int64_t FEncryptTrailer = -1;                // where a rebuilt table found the trailer naming /Encrypt
    std::optional<TValue> FEncryptingTrailer;    // that trailer, read by the file's own chain
};

}  // namespace lumerra
