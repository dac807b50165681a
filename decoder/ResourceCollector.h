// The default reading's resource collection: a page's /Resources (its own
// or inherited) and the Form XObjects it can draw, found by scanning the
// objects' tokens.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "decoder/PDFResource.h"
#include "pdf/PDFAnalyst.h"

namespace lumerra {

// What a scan of a page-tree node or a form found: where its first
// /Resources value stands and, for a node climbed for inheritance, the
// /Parent it names before "endobj".
struct TNodeScan {
    static constexpr int32_t Unknown = -2;
    int32_t ResourcesAt = -1;  // the position just after the key; -1 without one
    int32_t Parent = -1;
    int32_t Owner = Unknown;   // the node whose resources a climb from here uses
};

class TScanCache {
public:
    // Keyed by object number * 2 + 1 for climbing scans (which read
    // /Parent), * 2 for form scans (which do not).
    std::unordered_map<int64_t, TNodeScan> Nodes;
    std::unordered_map<int32_t, std::string> Subtypes;
    // Form collection work done so far, against the decoder's budget: a heavy
    // page listed again and again in the page tree must not take hours.
    int64_t FormWorkDone = 0;
};

// Fills Page with page P's resources and one child per form reachable from
// them. FormWorkLeft: what collecting forms may still cost in this run;
// Cache keeps what the scans found for the pages after this one.
void CollectScannedResources(TPDFAnalyst& Analyst, TScanCache& Cache, int32_t P, TPageResource& Page,
                             int64_t FormWorkLeft);

}  // namespace lumerra
