// TPDFAnalyst: one open PDF file, its cross-reference offsets and page tree.
//
// Objects are never cached: every reader jumps to an object's recorded offset
// in the one open file and scans it again, token by token. The file stream
// has a single read position; operations that read elsewhere put it back.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Exceptions.h"
#include "common/Stream.h"
#include "common/StrUtils.h"
#include "pdf/LateRepair.h"
#include "pdf/ObjectLocation.h"
#include "pdf/PDFLexer.h"
#include "syntax/Value.h"

namespace lumerra {

class TObjectStreamCache;
class TObjectReader;
class TSecurityHandler;
class TValue;
struct TIndirectObject;
struct TDecodedObjectStream;
struct TFilterStep;
struct TXrefSection;
class TMemoryStream;

class TPDFAnalyst {
public:
    using TErrorEvent = std::function<void(TPDFAnalyst&)>;

    TPDFAnalyst();
    ~TPDFAnalyst();
    TPDFAnalyst(const TPDFAnalyst&) = delete;
    TPDFAnalyst& operator=(const TPDFAnalyst&) = delete;

    // Returns to the empty state; OnError is kept.
    void Clear();
    // The load error exit: calls OnError, clears, marks the analyser failed
    // and raises Exception with Message (a file refused as it is)...
    [[noreturn]] void Fail(TMessageCode Message) {
        if (!FTryingTable) MarkFailed();
        throw Exception(Message);
    }
    // ... or EDamagedInput with Message and where the damage was found.
    // While extended reading first tries the file's own table, a failure
    // leaves the analyser as it is: the table is rebuilt next.
    [[noreturn]] void Fail(TMessageCode Message, int64_t Offset, int32_t Object = -1) {
        if (!FTryingTable) MarkFailed();
        throw EDamagedInput(Message, Offset, Object);
    }
    // Extended reading: PDF 1.5 to 2.0 (cross-reference streams, object
    // streams) and every standard filter. Off by default; kept by Clear, so
    // set it before loading.
    void SetExtendedReading(bool On) { FExtended = On; }
    bool ExtendedReading() const { return FExtended; }
    // The password extended reading tries after the empty one, as the
    // user's and as the owner's; kept by Clear, so set it before loading.
    void SetPassword(std::optional<std::string> Password) { FPassword = std::move(Password); }

    void LoadFromFile(const std::string& FileName);
    // A second reader of the document this one loaded: the same table and
    // fields, its own read position (the same open file, or a copy of the
    // bytes in memory), for reading on another thread.
    std::unique_ptr<TPDFAnalyst> Reader() const;
    // The same over a stream already open (memory, for example); the
    // analyser takes it over.
    void LoadFromStream(std::unique_ptr<TStream> Source, const std::string& FileName);
    // The loading algorithm; S must be the analyser's own Stream.
    void Analyze(TStream& S);
    // One cross-reference section with its trailer, then the /Prev chain.
    void ReadXrefSection(int64_t Offset);

    // ---- Object access
    bool IsValidID(int32_t ID) const { return ID >= 0 && ID <= FObjectCount - 1; }
    bool IsValidIDText(std::string_view Text) const { return IsValidID(StrToIntDef(Text, -1)); }
    // The table as the cross-reference sections filled it. Readers ask
    // Locate instead (or, to read an object, TObjectScanner::OpenObject).
    const std::vector<int64_t>& ObjectOffsets() const { return FObjectOffsets; }
    // Where object ID is: None unless ID is in the table and its slot holds
    // an offset inside the file.
    TObjectLocation Locate(int32_t ID);
    // True when object ID can be read.
    bool HasObject(int32_t ID) { return Locate(ID).Found(); }
    // The bytes of an object kept in an object stream, framed as the file
    // frames its objects ("ID 0 obj" ... "endobj"), so that every scan reads
    // them as it reads the file; null when the object stream cannot give it.
    std::unique_ptr<TStream> CompressedObject(int32_t ID, const TObjectLocation& Location);

    int32_t ReadObjectInteger(int32_t ID);
    int32_t ReadIntegerValue(TStream& S);
    bool ReadIDArrayObject(int32_t ID, TIDList& List);
    void ReadIDList(TStream& S, TIDList& List);
    bool ReadNameArrayObject(int32_t ID, TStringList& Names);
    void ReadNameList(TStream& S, TStringList& Names);

    // ---- Page tree
    void ReadCatalog();
    void ReadPageCount();
    std::string& GetMediaBoxText(int32_t ID, std::string& Text);
    void ReadFirstPage();
    // Appends the leaf pages' numbers in document order; List may be null.
    void GetPageList(TIDList* List);

    // Extended reading: a page written in place in its parent's /Kids has no
    // object number of its own. The page list gives it one past the table
    // (ObjectCount() and up), which the object reader answers with the page's
    // dictionary. Null for every other number.
    std::shared_ptr<const TValue> DirectPage(int32_t Number) const;
    bool IsDirectPage(int32_t Number) const { return DirectPage(Number) != nullptr; }

    // Passes over the end of line after "stream" and Length bytes of data;
    // a negative Length skips nothing, one past the file stops at its end.
    void SkipStreamData(TStream& S, int32_t Length);

    // ---- Fields
    TStream* Stream() const { return FStream.get(); }
    const std::vector<bool>& FreeObjects() const { return FFreeObjects; }
    const std::string& Version() const { return FVersion; }
    const std::string& FileName() const { return FFileName; }
    int32_t ObjectCount() const { return FObjectCount; }
    int32_t PageCount() const { return FPageCount; }
    int32_t RootID() const { return FRootID; }
    int32_t InfoID() const { return FInfoID; }
    int32_t MetadataID() const { return FMetadataID; }
    int32_t FirstPageID() const { return FFirstPageID; }
    int32_t FirstPagesID() const { return FFirstPagesID; }
    int32_t OutlinesID() const { return FOutlinesID; }
    bool Encrypted() const { return FEncrypted; }
    // Extended reading opened the file's encryption (AnalystSecurity.cpp):
    // the handler that decrypts its streams; null otherwise.
    const TSecurityHandler* Security() const { return FSecurity.get(); }
    // What decrypts the data of stream object ID, whose filter list is Steps
    // (a leading /Crypt step names the crypt filter and becomes Identity);
    // empty when nothing needs decrypting.
    std::function<void(TMemoryStream&)> StreamDecryptor(int32_t ID, std::vector<TFilterStep>& Steps);
    // The generation number in the header of object ID (0 when not in the file).
    int32_t ObjectGeneration(int32_t ID);
    bool Failed() const { return FFailed; }
    // The last load returned normally; any error leaves it false, whether or
    // not it went through Fail.
    bool Loaded() const { return FLoaded; }
    bool HasStructTree() const { return FHasStructTree; }
    const TBox& MediaBox() const { return FMediaBox; }
    const TStringList& XrefOffsets() const { return FXrefOffsets; }

    // What extended reading found: how many sections were tables and how many
    // streams, whether a table named a stream beside it (/XRefStm), and the
    // objects kept in object streams.
    struct TXrefCensus {
        int32_t Tables = 0;
        int32_t Streams = 0;
        bool Hybrid = false;
        int32_t ObjectStreams = 0;
        int32_t ObjectsInStreams = 0;
    };
    TXrefCensus XrefCensus() const;
    // Extended reading rebuilt the object table from the file itself.
    bool Repaired() const { return FRepaired; }
    // What was repaired, for the user; never part of a report.
    const std::vector<std::string>& Warnings() const { return FWarnings; }
    // The same warnings as codes, for a front end that tells them in its
    // own language.
    const std::vector<TMessage>& WarningMessages() const { return FWarningMessages; }

    // Told by an object reader reading File. While the file's own table is
    // read (the load), it raises EDamagedInput, and the table is rebuilt
    // once. After the load, the object is looked for by one pass over the
    // file, made once per document (LateRepair.h): where it found the
    // object, or -1.
    int64_t ObjectMisplaced(const TMisplacedObject& What, TStream& File);
    // The object the table was rebuilt for during the load.
    const std::optional<TMisplacedObject>& Misplaced() const { return FMisplaced; }
    // The objects found elsewhere after the load, by any reader.
    std::vector<TMisplacedObject> MisplacedAfterLoad() const { return FLateRepair->Misplaced(); }

    TErrorEvent OnError;

private:
    void MarkFailed();
    // Reads the encryption dictionary named by the trailer at FEncryptTrailer
    // and opens it with the password; raises ESecurityError.
    void OpenSecurity();
    // Value, or the object it refers to when it is a reference (What names
    // it in the error); raises ESecurityError. The encryption dictionary and
    // its parts are never in object streams: those are encrypted with it.
    TValue ResolveInFile(const TValue& Value, const std::string& What);
    // The encryption dictionary Encrypt with its crypt filters (/CF and each
    // of its entries) read where they are indirect objects.
    TValue ResolvedEncryption(const TValue& Encrypt);
    // Object ID parsed where the file holds it; none when it is elsewhere
    // (an object stream) or cannot be read.
    std::optional<TIndirectObject> ObjectInFile(int32_t ID);
    // Object ID is a stream whose dictionary says /Type /Metadata: left
    // unencrypted under /EncryptMetadata false.
    bool IsMetadataStream(int32_t ID);
    // Extended reading's load: the header searched for, then the file's own
    // table, then a rebuilt one.
    void AnalyzeExtended();
    // Extended reading's catalog and page tree, read by key
    // (AnalystPageTree.cpp); the page list is walked once and kept.
    void ReadCatalogByKey();
    void ReadPageCountByKey();
    void ReadFirstPageByKey();
    const TIDList& PageListByKey();
    // The one reader of those steps while the file loads, so that what one
    // step parsed (the catalog, the root of the page tree) the next finds.
    TObjectReader& TreeReader();
    // Makes the analyser's stream start at the header at Offset.
    void ShiftToHeader(int32_t Offset);
    // From the end marker to the first page, by the file's own table.
    void ReadStructure(TStream& S);
    // The default reading's end: "%%EOF" as the last bytes before trailing
    // white space, and the word before it the newest section's offset.
    int32_t EndMarkerOffset(TStream& S);
    // Extended reading's fallback: the table from one pass over the file
    // (Repair.h), then the catalog and page tree as usual.
    void RebuildTable();
    // Forgets what a failed read of the file's table left behind.
    void ForgetStructure();
    // Walks the page tree from FFirstPagesID in document order, calling
    // OnLeaf for every leaf until it returns false.
    template <class TLeafHandler>
    void WalkPageTree(TLeafHandler&& OnLeaf);
    void ReadSubsectionEntries(int32_t First, int32_t Count);
    // Makes room in the table for object numbers below End, within what the
    // file can back; At is where the claim was read.
    void GrowTable(int64_t End, int64_t At);
    // The most slots the table may have: what the file can back.
    int64_t TableLimit() const;
    // Extended reading's chain (AnalystXref.cpp): each section parsed as a
    // table or a stream, the newest first.
    void ReadXrefChain(int64_t Offset);
    // A section's entries where no newer section gave the object and, unless
    // EntriesOnly (a hybrid file's /XRefStm), its trailer's keys.
    void ApplyXrefSection(const TXrefSection& Section, bool EntriesOnly);
    // The decoded object stream Number, from the cache or decoded now; null
    // when it cannot be read.
    const TDecodedObjectStream* ObjectStream(int32_t Number);

    struct TCompressedEntry {
        int32_t Stream = -1;
        int32_t Index = -1;
    };

    std::unique_ptr<TStream> FStream;
    std::vector<int64_t> FObjectOffsets;
    std::vector<bool> FFreeObjects;
    std::string FVersion;
    std::string FFileName;
    int32_t FObjectCount = -1;
    int32_t FPageCount = -1;
    int32_t FRootID = -1;
    int32_t FInfoID = -1;
    int32_t FMetadataID = -1;
    int32_t FFirstPageID = -1;
    int32_t FFirstPagesID = -1;
    int32_t FOutlinesID = -1;
    bool FEncrypted = false;
    bool FFailed = false;
    bool FLoaded = false;
    bool FHasStructTree = false;
    TBox FMediaBox;
    TStringList FXrefOffsets;
    bool FExtended = false;
    std::vector<TCompressedEntry> FCompressed;  // sized with the table in extended mode
    std::unique_ptr<TObjectStreamCache> FObjectStreams;
    TXrefCensus FCensus;
    bool FTryingTable = false;
    bool FRepaired = false;
    std::vector<std::string> FWarnings;
    std::optional<TMisplacedObject> FMisplaced;
    // Shared with the readers made by Reader(): one pass for the document.
    std::shared_ptr<TLateRepair> FLateRepair;
    std::vector<TMessage> FWarningMessages;
    void AddWarning(TMessage Warning) {
        FWarnings.push_back(JapaneseText(Warning));
        FWarningMessages.push_back(std::move(Warning));
    }
    std::optional<std::string> FPassword;
    int64_t FEncryptTrailer = -1;  // where the newest trailer naming /Encrypt is (a rebuilt table)
    std::optional<TValue> FEncryptingTrailer;  // that trailer, read by the file's own chain
    // Shared with the readers made by Reader(): it does not change once open.
    std::shared_ptr<const TSecurityHandler> FSecurity;
    std::optional<TIDList> FPageList;  // extended reading's, once walked
    std::unique_ptr<TObjectReader> FTreeReader;  // only while loading: its table may be rebuilt
    std::vector<std::shared_ptr<const TValue>> FDirectPages;  // numbered from FObjectCount
};

// True when extended reading loads the file FileName (for telling a user
// whose default reading refused it).
bool ExtendedReadingLoads(const std::string& FileName);

// Saves a stream's position and puts it back when the scope ends normally;
// after an exception the position stays where the reading stopped.
class TPositionKeeper {
public:
    explicit TPositionKeeper(TStream& S) : FStream(S), FPosition(S.Position()) {}
    ~TPositionKeeper() {
        if (std::uncaught_exceptions() == FExceptions) FStream.SetPosition(FPosition);
    }
    TPositionKeeper(const TPositionKeeper&) = delete;
    TPositionKeeper& operator=(const TPositionKeeper&) = delete;

private:
    TStream& FStream;
    int64_t FPosition;
    int FExceptions = std::uncaught_exceptions();
};

}  // namespace lumerra
