// Rebuilding the object table of a damaged file (extended reading): one pass
// over the whole file that notes every "n g obj" header, every trailer, and
// the dictionaries that say what an object is. Stream data is passed over up
// to its "endstream", so headers inside it are not taken for objects.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "common/Stream.h"

namespace lumerra {

struct TRepairScan {
    // Object number -> offset of its header; a later definition wins.
    std::unordered_map<int32_t, int64_t> Objects;
    // From the newest trailer (or cross-reference stream) that names them.
    int32_t Root = -1;
    int32_t Info = -1;
    bool Encrypted = false;
    // Where the newest trailer that names /Encrypt is: just after the keyword
    // "trailer", or the header of a cross-reference stream; -1 without one.
    int64_t EncryptTrailer = -1;
    // The last object whose dictionary says /Type /Catalog.
    int32_t LastCatalog = -1;
    // Objects whose dictionary says /Type /ObjStm, in file order.
    std::vector<int32_t> ObjectStreams;
};

// Reads S from start to end once. Memory follows the number of objects
// found; time is linear in the size of the file.
TRepairScan ScanForObjects(TStream& S);
// The same, reading S in chunks of ChunkSize bytes (tests make them small);
// a literal string longer than a chunk is taken for damage.
TRepairScan ScanForObjects(TStream& S, int32_t ChunkSize);

}  // namespace lumerra
