// The check of a document's pages: each page's content streams as one
// sequence against the page's resources, and each form it draws against
// its own resources (the page's where it has none).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "check/Finding.h"
#include "check/ResourceNames.h"
#include "common/StrUtils.h"
#include "common/Stream.h"
#include "pdf/ObjectLocation.h"
#include "pdf/ObjectReader.h"

namespace lumerra::check {

// A stream that could not be read or decoded whole: the check goes on with
// what was decoded of it, and tells it as an "unchecked" finding too.
using TStreamFaultProc = std::function<void(int32_t Page, int32_t Object, const TMessage& What)>;

class TPageChecker {
public:
    explicit TPageChecker(TObjectReader& Reader, size_t FindingsPerPage = TPageFindings::DefaultLimit)
        : FReader(Reader), FLimit(FindingsPerPage) {}

    TStreamFaultProc OnStreamFault;

    // Page is the page's number (from 1), PageObject its object.
    TPageFindings Check(int32_t Page, int32_t PageObject);

    // Forms inside forms are followed this deep.
    static constexpr int MaximumFormDepth = 32;

private:
    class TRun;
    // What kept a stream from being checked whole.
    struct TUnread {
        int32_t Object = -1;
        int64_t Offset = -1;  // where decoding stopped, -1 when nothing was read
        TMessage Message;
    };

    TObjectReader& FReader;
    size_t FLimit;
    // The resource names of the last page, unused, and the value they were
    // read from.
    TValuePtr FLastResources;
    TResourceNames FLastNames;
    // The decoded streams, one per level of forms, kept from page to page.
    std::vector<std::unique_ptr<TMemoryStream>> FBuffers;
    // A page's content streams joined, when it has more than one.
    std::vector<uint8_t> FJoined;
    // Forms decoded once for all pages (most pages draw the same few), with
    // what went wrong decoding them, told again on each page; up to
    // FormCacheBytes of them.
    struct TDecodedForm {
        std::vector<uint8_t> Data;
        std::vector<TUnread> Unread;
    };
    static constexpr size_t FormCacheBytes = size_t{32} << 20;
    std::unordered_map<int32_t, TDecodedForm> FForms;  // its values stay where they are while others are added
    size_t FFormBytes = 0;
};

// Checks pages First..Last (from 1) of Pages, the document's page list in
// order; OnPage gets each page's findings as it is done. KeepGoing is asked
// before each page (with the number of pages done); false stops the run
// and makes the answer false.
bool CheckPages(TObjectReader& Reader, const lumerra::TIDList& Pages, int32_t First, int32_t Last,
                const std::function<void(const TPageFindings&)>& OnPage,
                const std::function<bool(int32_t Done)>& KeepGoing = nullptr,
                const TStreamFaultProc& OnStreamFault = nullptr);

}  // namespace lumerra::check
