// TDocument: what loading a file found, read-only once the load is done.
//
// One document is shared by every reader of the file (TPDFAnalyst::Reader),
// whatever its thread: readers hold it as std::shared_ptr<const TDocument>
// and keep their read positions and object caches to themselves. Only the
// analyser that loads it writes to it, and only until the load ends. The two
// parts that change later are synchronised inside: the pass that finds
// misplaced objects (TLateRepair), and the decoded object streams
// (TObjectStreamCache), which every reader shares.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/Message.h"
#include "common/StrUtils.h"
#include "pdf/LateRepair.h"
#include "pdf/ObjectLocation.h"
#include "pdf/ObjectStreamCache.h"
#include "pdf/PDFLexer.h"
#include "syntax/Value.h"

namespace lumerra {

class TSecurityHandler;

// How many sections were tables and how many streams, whether a table named
// a stream beside it (/XRefStm), and the objects kept in object streams.
struct TXrefCensus {
    int32_t Tables = 0;
    int32_t Streams = 0;
    bool Hybrid = false;
    int32_t ObjectStreams = 0;
    int32_t ObjectsInStreams = 0;
};

// An object kept in an object stream: entry Index of stream Stream.
struct TCompressedEntry {
    int32_t Stream = -1;
    int32_t Index = -1;
};

struct TDocument {
    // The table: one slot per object number.
    std::vector<int64_t> ObjectOffsets;
    std::vector<bool> FreeObjects;
    std::vector<TCompressedEntry> Compressed;  // empty unless the file has object streams
    // Extended reading: each object's generation as its table entry gives it
    // (0 in an object stream); -1 where no entry gives one.
    std::vector<int32_t> Generations;
    int32_t ObjectCount = -1;

    std::string Version;
    // Bytes of junk before the header: the offsets the file gives, and every
    // position a reader uses, count from the header.
    int64_t HeaderOffset = 0;
    std::string FileName;
    int32_t PageCount = -1;
    int32_t RootID = -1;
    int32_t InfoID = -1;
    int32_t MetadataID = -1;
    int32_t FirstPageID = -1;
    int32_t FirstPagesID = -1;
    int32_t OutlinesID = -1;
    bool Encrypted = false;
    bool Failed = false;
    bool Loaded = false;
    bool HasStructTree = false;
    TBox MediaBox;
    TStringList XrefOffsets;
    // Each revision's trailer (a cross-reference stream's dictionary) as the
    // chain read them, newest first. A hybrid file's stream beside its table,
    // and a linearized file's main table, which lies behind its first page's
    // section, belong to the revision before them and have none.
    std::vector<std::shared_ptr<const TValue>> RevisionTrailers;

    TXrefCensus Census;
    bool Repaired = false;
    std::vector<std::string> Warnings;
    std::vector<TMessage> WarningMessages;
    std::optional<TMisplacedObject> Misplaced;
    // Open for the whole document: it does not change once open.
    std::shared_ptr<const TSecurityHandler> Security;
    // The leaf pages in document order, once walked by key; pages written in
    // place in their parent's /Kids are numbered from ObjectCount.
    std::optional<TIDList> PageList;
    std::vector<std::shared_ptr<const TValue>> DirectPages;
    // Synchronised inside: one pass over the file for every reader.
    std::shared_ptr<TLateRepair> LateRepair = std::make_shared<TLateRepair>();
    // Synchronised inside: each object stream decoded once for every reader.
    std::shared_ptr<TObjectStreamCache> ObjectStreams = std::make_shared<TObjectStreamCache>();
};

}  // namespace lumerra
