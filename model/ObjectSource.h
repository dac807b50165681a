// What showing objects needs of a loaded document, behind one small seam:
// the objects by number, the trailer, where each object lies and which
// revision wrote it, and the page list. The command line adapts today's
// extended reading to it; tests give it objects of their own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pdf/ObjectCache.h"
#include "pdf/ObjectLocation.h"

namespace lumerra {

struct TStreamDamage;

struct TObjectPlace {
    bool Free = false;            // the table lists the number as free
    TObjectLocation Location;     // None when neither free nor found
    int32_t Generation = 0;
    int32_t Revision = 0;         // from 1; 0 when not known
};

class TObjectSource {
public:
    virtual ~TObjectSource() = default;

    // The numbers run from 0 to ObjectCount() - 1.
    virtual int32_t ObjectCount() = 0;
    // The newest trailer dictionary, and its revision (from 1; 0 when not
    // known).
    virtual TValuePtr Trailer() = 0;
    virtual int32_t NewestRevision() = 0;
    // Each revision's trailer (a cross-reference stream's dictionary, as a
    // dictionary), newest first; the newest is Trailer().
    virtual std::vector<TValuePtr> RevisionTrailers() { return {Trailer()}; }
    // Object Number's value; the null value when the document does not
    // hold it.
    virtual TValuePtr Object(int32_t Number) = 0;
    virtual TObjectPlace Place(int32_t Number) = 0;
    // Page Page's object number (from 1); none past the last page.
    virtual std::optional<int32_t> PageObject(int32_t Page) = 0;
    // Stream object Number's data: through every filter (Decoded) or as
    // stored, decrypted. A filter that cannot decode is told in Damage.
    virtual std::string StreamData(int32_t Number, bool Decoded, TStreamDamage* Damage) = 0;
};

}  // namespace lumerra
