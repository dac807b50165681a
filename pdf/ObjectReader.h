// TObjectReader: extended reading's way to the objects of a loaded document.
//
// Objects are parsed from the file (or from their object stream) by the one
// tokenizer, once, and kept within a budget. A reader belongs to one thread
// (TPDFAnalyst::Reader gives an analyser per thread). It reads the file
// through a reader of its own, so no reader shares a position or a cache
// with another, nor with the analyser.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "common/Stream.h"
#include "pdf/ObjectCache.h"
#include "syntax/Parser.h"
#include "syntax/Value.h"

namespace lumerra {

class TPDFAnalyst;

// Parses the indirect object whose header starts at Offset in File. The
// bytes are read in a window that doubles while the object runs on (up to
// 64 MiB), kept in Window for the next call.
// With Keys, a dictionary keeps only those entries.
TParseFault ParseObjectAt(TStream& File, int64_t Offset, TIndirectObject& Out, std::vector<uint8_t>& Window,
                          const TParser::TKeyFilter* Keys = nullptr);

class TObjectReader {
public:
    explicit TObjectReader(TPDFAnalyst& Analyst);

    // Object Number as the file holds it; null (the null value, as ISO 32000
    // reads a missing object) when the table has no usable entry for it or
    // its bytes are not an object of that number.
    TValuePtr Object(int32_t Number);
    // A page of the page list: its object, or the page written in place
    // that the list gave the number Number.
    TValuePtr Page(int32_t Number);
    // Object Number with only the entries Keys of its dictionary, for a
    // reader that wants a few keys of many objects once (the page tree's
    // walk); not kept. The whole object when it is kept already or stands
    // in an object stream.
    TValuePtr ObjectKeys(int32_t Number, const TParser::TKeyFilter& Keys);
    // V itself, or what the reference V names, followed through chains of
    // references. The one way through a reference.
    TValuePtr Resolve(const TValuePtr& V);
    // The entry Key of dictionary Dict, resolved; null when absent.
    TValuePtr Get(const TValuePtr& Dict, std::string_view Key);
    // Item I of array Array, resolved.
    TValuePtr Item(const TValuePtr& Array, size_t I);

    TPDFAnalyst& Analyst() const { return FAnalyst; }
    // The file's bytes, read with this reader's own position: stream data is
    // read here.
    TStream& File() const { return *FFile; }

    // The bytes of source text the objects kept may have taken (ObjectCache.h):
    // objects parsed once, and objects asked for again. Past each, those
    // used least recently are let go (objects still in use live on in their
    // holders). The first is small, so that memory stays flat over a long
    // run of objects read once; the second holds what a document shares
    // (resources, fonts, forms), so that none is parsed again and again.
    static constexpr TObjectCache::TBudgets CacheBudgets = {256 * 1024, 8 * 1024 * 1024};

private:
    TValuePtr Parse(int32_t Number);
    TValuePtr ParseInFile(int32_t Number, int64_t Offset);
    TValuePtr ParseCompressed(int32_t Number);
    // Object Number reads as null, and is kept so.
    TValuePtr Missing(int32_t Number);

    TPDFAnalyst& FAnalyst;
    std::unique_ptr<TStream> FOwnFile;  // null when the analyser's stream cannot be read twice
    TStream* FFile;
    TObjectCache FCache;
    std::vector<uint8_t> FWindow;
    TValuePtr FNull;
};

}  // namespace lumerra
