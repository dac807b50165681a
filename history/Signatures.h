// The signatures of a file and what changed after each: a signature covers
// the bytes of one revision (its /ByteRange ends where that revision ends),
// and every later revision changed the document after signing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/Message.h"
#include "history/RevisionChanges.h"

namespace lumerra {

class TObjectReader;

// What can be wrong with a signature's byte range.
enum class TSignatureFinding : uint8_t {
    Unreadable,     // /ByteRange is not four numbers of 0 to 2^31 - 1
    NotFromStart,   // it does not start at the file's first byte
    PastEnd,        // it runs past the end of the file
    NoRevisionEnd,  // it ends where no revision ends
    GapNotContents  // what it leaves out is not the /Contents string
};

// The finding's message code: the front ends make its sentence.
TMessageCode FindingCode(TSignatureFinding Finding);

struct TSignature {
    int32_t Object = 0;  // the signature dictionary's, or its field's when direct
    // /ByteRange as written: four numbers when it is readable, else empty.
    std::vector<int64_t> ByteRange;
    // The revision (from 1) whose end the byte range ends at; 0 for none.
    int32_t Revision = 0;
    // Objects the later revisions added or changed, ascending.
    std::vector<int32_t> ChangedAfter;
    // What is wrong with the byte range; empty when nothing.
    std::vector<TSignatureFinding> Findings;
};

// Every signature dictionary of the document Reader reads: each object with
// /Type /Sig, and the /V of each field with /FT /Sig. Changes holds one
// entry per revision of Revisions.
std::vector<TSignature> FindSignatures(TObjectReader& Reader, const std::vector<TRevision>& Revisions,
                                       const std::vector<TRevisionChanges>& Changes);

// Whether Gap is a hexadecimal string (with white space) of the bytes Contents.
bool IsHexStringOf(std::string_view Gap, std::string_view Contents);

}  // namespace lumerra
