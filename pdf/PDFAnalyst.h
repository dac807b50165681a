// TPDFAnalyst: one open PDF file, its cross-reference offsets and page tree,
// as either reading loads it (pdf/DefaultAnalyst.h, pdf/ExtendedAnalyst.h).
//
// The file stream has a single read position; operations that read
// elsewhere put it back.
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
#include "pdf/DocInfo.h"
#include "pdf/Document.h"
#include "pdf/LateRepair.h"
#include "pdf/ObjectLocation.h"
#include "pdf/PDFLexer.h"
#include "syntax/Value.h"

namespace lumerra {

class TObjectReader;
class TSecurityHandler;
class TValue;
struct TFilterStep;
struct TIndirectObject;
struct TDecodedObjectStream;
class TMemoryStream;

// The two readings of a file. The front ends choose one when they make the
// analyser (TDefaultAnalyst, TExtendedAnalyst, or NewAnalyst); nothing
// below them asks which it is.
enum class TReading { Default, Extended };

// The analyser: what every reader of a loaded document shares (the
// document, read-only) and what is its own (the read position, the decoded
// object streams). Each reading loads in its own unit.
class TPDFAnalyst {
public:
    using TErrorEvent = std::function<void(TPDFAnalyst&)>;

    virtual ~TPDFAnalyst();
    TPDFAnalyst(const TPDFAnalyst&) = delete;
    TPDFAnalyst& operator=(const TPDFAnalyst&) = delete;

    // For the front ends, which tell the user what they chose.
    virtual TReading Reading() const = 0;

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
    // The password extended reading tries after the empty one, as the
    // user's and as the owner's; kept by Clear, so set it before loading.
    // Held by the analyser that loads, never by the readers it makes.
    void SetPassword(std::optional<std::string> Password) { FPassword = std::move(Password); }

    void LoadFromFile(const std::string& FileName);
    // The same over a stream already open (memory, for example); the
    // analyser takes it over.
    void LoadFromStream(std::unique_ptr<TStream> Source, const std::string& FileName);
    // A second reader of the document this one loaded: the same document,
    // its own read position (the same open file, or the same bytes in
    // memory, shared read-only), for reading on another thread.
    std::unique_ptr<TPDFAnalyst> Reader() const;
    // How this reading opens a file: the default reading refuses 2 GiB and
    // more when it opens them, as it always has.
    virtual TFileStream::TMode OpenMode() const = 0;

    // ---- Object access
    bool IsValidID(int32_t ID) const { return ID >= 0 && ID <= Doc().ObjectCount - 1; }
    bool IsValidIDText(std::string_view Text) const { return IsValidID(StrToIntDef(Text, -1)); }
    // The table as the cross-reference sections filled it. Readers ask
    // Locate instead (or, to read an object, TObjectScanner::OpenObject).
    const std::vector<int64_t>& ObjectOffsets() const { return Doc().ObjectOffsets; }
    // Where object ID is: None unless ID is in the table and its slot holds
    // an offset inside the file.
    virtual TObjectLocation Locate(int32_t ID);
    // True when object ID can be read.
    bool HasObject(int32_t ID) { return Locate(ID).Found(); }
    // The decoded object stream Number, its objects parsed in place by the
    // object reader; null when it cannot be read, and under the default
    // reading, which has none.
    virtual std::shared_ptr<const TDecodedObjectStream> DecodedObjectStream(int32_t Number);

    int32_t ReadObjectInteger(int32_t ID);
    int32_t ReadIntegerValue(TStream& S);
    bool ReadIDArrayObject(int32_t ID, TIDList& List);
    void ReadIDList(TStream& S, TIDList& List);
    bool ReadNameArrayObject(int32_t ID, TStringList& Names);
    void ReadNameList(TStream& S, TStringList& Names);

    // ---- Page tree
    // A reader of parsed objects by key (ObjectReader.h) over this analyser,
    // where this reading reads them so; null where it reads token by token.
    virtual std::unique_ptr<TObjectReader> ObjectModel();

    // Appends the leaf pages' numbers in document order; List may be null.
    // Raises when nothing is loaded or the document has no page tree.
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
    const std::vector<bool>& FreeObjects() const { return Doc().FreeObjects; }
    const std::string& Version() const { return Doc().Version; }
    int64_t HeaderOffset() const { return Doc().HeaderOffset; }
    const std::string& FileName() const { return Doc().FileName; }
    int32_t ObjectCount() const { return Doc().ObjectCount; }
    int32_t PageCount() const { return Doc().PageCount; }
    int32_t RootID() const { return Doc().RootID; }
    int32_t InfoID() const { return Doc().InfoID; }
    int32_t MetadataID() const { return Doc().MetadataID; }
    int32_t FirstPageID() const { return Doc().FirstPageID; }
    int32_t FirstPagesID() const { return Doc().FirstPagesID; }
    int32_t OutlinesID() const { return Doc().OutlinesID; }
    bool Encrypted() const { return Doc().Encrypted; }
    // Extended reading opened the file's encryption (AnalystSecurity.cpp):
    // the handler that decrypts its streams; null otherwise.
    const TSecurityHandler* Security() const { return Doc().Security.get(); }
    // What decrypts the data of stream object ID, whose filter list is Steps
    // (a leading /Crypt step names the crypt filter and becomes Identity);
    // empty when nothing needs decrypting.
    std::function<void(TMemoryStream&)> StreamDecryptor(int32_t ID, std::vector<TFilterStep>& Steps);
    // The generation number in the header of object ID (0 when not in the file).
    int32_t ObjectGeneration(int32_t ID);
    // The generation the table gives object ID, without reading the file;
    // -1 where it gives none (and under the default reading).
    int32_t TableGeneration(int32_t ID) const {
        return ID >= 0 && static_cast<size_t>(ID) < Doc().Generations.size() ? Doc().Generations[static_cast<size_t>(ID)]
                                                                            : -1;
    }
    bool Failed() const { return Doc().Failed; }
    // The last load returned normally; any error leaves it false, whether or
    // not it went through Fail.
    bool Loaded() const { return Doc().Loaded; }
    bool HasStructTree() const { return Doc().HasStructTree; }
    const TBox& MediaBox() const { return Doc().MediaBox; }
    const TStringList& XrefOffsets() const { return Doc().XrefOffsets; }
    const std::vector<std::shared_ptr<const TValue>>& RevisionTrailers() const { return Doc().RevisionTrailers; }

    using TXrefCensus = lumerra::TXrefCensus;
    TXrefCensus XrefCensus() const;
    // Extended reading rebuilt the object table from the file itself.
    bool Repaired() const { return Doc().Repaired; }
    // What was repaired, for the user; never part of a report.
    const std::vector<std::string>& Warnings() const { return Doc().Warnings; }
    // The same warnings as codes, for a front end that tells them in its
    // own language.
    const std::vector<TMessage>& WarningMessages() const { return Doc().WarningMessages; }

    // Told by an object reader reading File. While the file's own table is
    // read (the load), it raises EDamagedInput, and the table is rebuilt
    // once. After the load, the object is looked for by one pass over the
    // file, made once per document (LateRepair.h): where it found the
    // object, or -1.
    int64_t ObjectMisplaced(const TMisplacedObject& What, TStream& File);
    // The object the table was rebuilt for during the load.
    const std::optional<TMisplacedObject>& Misplaced() const { return Doc().Misplaced; }
    // The objects found elsewhere after the load, by any reader.
    std::vector<TMisplacedObject> MisplacedAfterLoad() const { return Doc().LateRepair->Misplaced(); }

    TErrorEvent OnError;

protected:
    // The Info dictionary's entries as this reading reads them, for
    // ReadDocInfo, which has made sure the dictionary is there.
    virtual TInfoEntries ReadInfoEntries() = 0;
    friend TInfoEntries ReadDocInfo(TPDFAnalyst& Analyst);

    TPDFAnalyst();

    // The reading's loading algorithm, over the analyser's own Stream().
    virtual void Analyze() = 0;
    // A reader of the same kind, empty; Reader() gives it the document.
    virtual std::unique_ptr<TPDFAnalyst> EmptyReader() const = 0;
    // What the reading forgets when it clears (its load's own state).
    virtual void ClearReading() {}
    // The reading's walk of the page tree, for GetPageList.
    virtual void AppendPages(TIDList& List) = 0;
    // Object ID parsed where the file holds it; none when it is elsewhere
    // (an object stream) or cannot be read.
    std::optional<TIndirectObject> ObjectInFile(int32_t ID);

    // The document as every reader sees it.
    const TDocument& Doc() const { return *FDocument; }
    // The same document while this analyser loads it; only the load writes.
    TDocument& Loading() { return *FLoading; }
    void MarkFailed();
    void AddWarning(TMessage Warning) {
        Loading().Warnings.push_back(JapaneseText(Warning));
        Loading().WarningMessages.push_back(std::move(Warning));
    }
    // Makes room in the table for object numbers below End, within what the
    // file can back; At is where the claim was read.
    virtual void GrowTable(int64_t End, int64_t At);
    // The most slots the table may have: what the file can back.
    int64_t TableLimit() const;

    std::unique_ptr<TStream> FStream;
    // The bytes a file loaded from memory is read from: FStream is a view of
    // them, and so is every reader's stream.
    std::shared_ptr<const TMemoryStream> FBytes;
    // Raised failures leave the analyser as it is: extended reading tries
    // the file's own table before it rebuilds one.
    bool FTryingTable = false;
    std::optional<std::string> FPassword;

private:
    void Load();
    // Object ID is a stream whose dictionary says /Type /Metadata: left
    // unencrypted under /EncryptMetadata false.
    bool IsMetadataStream(int32_t ID);

    std::shared_ptr<const TDocument> FDocument;
    std::shared_ptr<TDocument> FLoading;  // the same document, while it loads; null after
};

// A new, empty analyser of the reading chosen.
std::unique_ptr<TPDFAnalyst> NewAnalyst(TReading Reading);
// The reading a front end's "extended" switch chooses.
constexpr TReading ReadingFor(bool Extended) { return Extended ? TReading::Extended : TReading::Default; }

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
