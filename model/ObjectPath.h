// What "show" is asked for, and finding it in a document: the trailer, an
// object by number, a path of keys and indices from the trailer or an
// object, a page, the table, or the objects that refer to one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/ObjectSource.h"

namespace lumerra {

struct TShowTarget {
    enum class TKind : uint8_t { Trailer, Object, Path, Page, Xref, Refs };
    TKind Kind = TKind::Trailer;
    // The object (Object, Refs, a path that starts at one; -1 for the
    // trailer), or the page (Page).
    int32_t Number = -1;
    std::optional<int32_t> Generation;  // "N G"
    // A path's steps after its start: keys (decoded, no slash) or indices.
    std::vector<std::string> Steps;
};

// One WHAT: "trailer", "N", "N G", "trailer/K/0/...", "N/K/...", "page/P",
// "xref", "refs/N". "#xx" in a key stands for the byte xx. None when it
// does not parse.
std::optional<TShowTarget> ParseShowTarget(std::string_view Text);

enum class TWalkFault : uint8_t {
    None,
    NoObject,     // the object (or the page) is not in the document
    NoKey,        // a dictionary without the step's key
    NoIndex,      // an array shorter than the step's index, or a step that is no index
    NotContainer  // a step into a value that is neither dictionary nor array
};

struct TWalkResult {
    TValuePtr Value;
    // The indirect object Value is, or lies in; -1 for the trailer.
    int32_t Object = -1;
    // Where Value lies inside that object ("/Resources/Font"); empty when it
    // is the object itself.
    std::string Inside;
    TWalkFault Fault = TWalkFault::None;
    size_t FailedStep = 0;  // the step (from 0) where the walk stopped
};

// Finds Target (no Xref or Refs) in Source, following references at every
// step and at the end. A chain of references that comes back on itself
// ends as a missing object.
TWalkResult WalkToTarget(TObjectSource& Source, const TShowTarget& Target);

// A step of Inside: "/Key" for a key, "[i]" for an index.
std::string InsideStep(std::string_view Key);
std::string InsideIndex(size_t Index);

struct TReferrer {
    int32_t Object = -1;  // -1 for the trailer
    std::string Inside;   // where the reference stands in it
};

// Every place in the trailer and the objects of Source that holds a
// reference to object Number, in object order. References are not followed,
// so a cycle costs nothing.
std::vector<TReferrer> FindReferrers(TObjectSource& Source, int32_t Number);

}  // namespace lumerra
