// TPDFAnalyst: one open PDF file, its cross-reference offsets and page tree.
//
// Objects are never cached: every reader jumps to an object's recorded offset
// in the one open file and scans it again, token by token. The file stream
// has a single read position; operations that read elsewhere put it back.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/Exceptions.h"
#include "common/Stream.h"
#include "common/StrUtils.h"
#include "pdf/ObjectLocation.h"
#include "pdf/PDFLexer.h"

namespace lumerra {

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
    [[noreturn]] void Fail(const std::string& Message) {
        MarkFailed();
        throw Exception(Message);
    }
    // ... or EDamagedInput with Message and where the damage was found.
    [[noreturn]] void Fail(const std::string& Message, int32_t Offset, int32_t Object = -1) {
        MarkFailed();
        throw EDamagedInput(Message, Offset, Object);
    }
    void LoadFromFile(const std::string& FileName);
    // The same over a stream already open (memory, for example); the
    // analyser takes it over.
    void LoadFromStream(std::unique_ptr<TStream> Source, const std::string& FileName);
    // The loading algorithm; S must be the analyser's own Stream.
    void Analyze(TStream& S);
    // One cross-reference section with its trailer, then the /Prev chain.
    void ReadXrefSection(int32_t Offset);

    // ---- Object access
    bool IsValidID(int32_t ID) const { return ID >= 0 && ID <= FObjectCount - 1; }
    bool IsValidIDText(std::string_view Text) const { return IsValidID(StrToIntDef(Text, -1)); }
    // The table as the cross-reference sections filled it. Readers ask
    // Locate instead (or, to read an object, TObjectScanner::OpenObject).
    const std::vector<int32_t>& ObjectOffsets() const { return FObjectOffsets; }
    // Where object ID is: None unless ID is in the table and its slot holds
    // an offset inside the file.
    TObjectLocation Locate(int32_t ID);
    // True when object ID can be read.
    bool HasObject(int32_t ID) { return Locate(ID).Found(); }

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

    // Passes over the end of line after "stream" and Length bytes of data;
    // a negative Length skips nothing, one past the file stops at its end.
    void SkipStreamData(int32_t Length);

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
    bool Failed() const { return FFailed; }
    // The last load returned normally; any error leaves it false, whether or
    // not it went through Fail.
    bool Loaded() const { return FLoaded; }
    bool HasStructTree() const { return FHasStructTree; }
    const TBox& MediaBox() const { return FMediaBox; }
    const TStringList& XrefOffsets() const { return FXrefOffsets; }

    TErrorEvent OnError;

private:
    void MarkFailed();
    // Walks the page tree from FFirstPagesID in document order, calling
    // OnLeaf for every leaf until it returns false.
    template <class TLeafHandler>
    void WalkPageTree(TLeafHandler&& OnLeaf);
    void ReadSubsectionEntries(int32_t First, int32_t Count);

    std::unique_ptr<TStream> FStream;
    std::vector<int32_t> FObjectOffsets;
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
};

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
    int32_t FPosition;
    int FExceptions = std::uncaught_exceptions();
};

}  // namespace lumerra
