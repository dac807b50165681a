// Where a run's report goes: the run loop hands each sink the same events
// in the same order (the report's start, each page, each of its streams
// decoded, the page's end, the report's end), whatever the format.
#pragma once

#include <cstdint>
#include <string>

#include "common/StrUtils.h"
#include "common/Stream.h"
#include "decoder/PagePlan.h"

namespace lumerra {

// One decoded stream of a page, as its job asked for it.
struct TReportStream {
    const TStreamJob& Job;
    const TStringList& Filters;
    TStream& Data;  // positioned at its start
    int32_t Size;
};

class TReportSink {
public:
    virtual ~TReportSink() = default;
    // FileName: the document's path.
    virtual void BeginReport(const std::string& FileName) = 0;
    virtual void BeginPage(const TPagePlan& Page) = 0;
    virtual void WriteStream(const TPagePlan& Page, const TReportStream& Stream) = 0;
    // A stream whose decoding failed, with what it gave before; the run
    // raises the failure right after.
    virtual void WriteFailedStream(const TPagePlan& Page, const TReportStream& Stream) {
        (void)Page;
        (void)Stream;
    }
    virtual void EndPage(const TPagePlan& Page) = 0;
    // Only when the run completes: neither after a cancel nor a failure.
    virtual void EndReport() = 0;
};

}  // namespace lumerra
