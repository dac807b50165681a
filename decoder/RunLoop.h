// One run of the report, whatever its format: the pages of a range are
// planned in page order, their streams decoded (on worker threads when
// there are several), and the results handed to a report sink in order.
// The loop tells progress, looks for a cancel request after each page and
// tells damaged streams beside the report.
#pragma once

#include <cstdint>
#include <functional>

#include "common/StrUtils.h"
#include "decoder/PageReader.h"
#include "decoder/ReportSink.h"
#include "decoder/StreamDecoder.h"
#include "pdf/PDFAnalyst.h"
#include "pdf/StreamData.h"

namespace lumerra {

// Progress of a run: called after each page with (0, 100, position, false)
// and once at the very end with (0, 100, 100, true).
using TDecodeProgressProc = std::function<void(int32_t Min, int32_t Max, int32_t Position, bool Done)>;

// "Was Escape pressed since the last look, or is it held now?" The desktop
// program answers from its key events, the command line from Ctrl-C.
using TEscapeKeyQuery = std::function<bool()>;

// Told of each stream whose data was damaged (page counted from 1, the
// stream object, what happened): the report itself stays as it is.
using TDamagedStreamProc = std::function<void(int32_t Page, int32_t Object, const TStreamDamage& Damage)>;

struct TRunOptions {
    // Threads that decode streams (each reading the file through its own
    // handle): one does all on the calling thread. The report is the same
    // for every count.
    int32_t Threads = 1;
    // Without a progress routine the run never looks for a cancel request.
    TDecodeProgressProc Progress;
    TEscapeKeyQuery EscapeKeyQuery;
    TDamagedStreamProc OnDamagedStream;
};

class TRunLoop {
public:
    // Last for "to the last page the page list gives".
    static constexpr int32_t ToLastPage = INT32_MAX;

    // Pages plans pages and Streams decodes on the calling thread, both
    // over Analyst; all stay the caller's.
    TRunLoop(TPDFAnalyst& Analyst, TPageReader& Pages, TStreamDecoder& Streams, TRunOptions Options)
        : FAnalyst(Analyst), FPages(Pages), FStreams(Streams), FOptions(std::move(Options)) {}

    // Writes pages First..Last of the document's page list (counted from 1)
    // into Sink. Returns false when the run was cancelled between pages, and
    // then sets Cancel.
    bool Run(TReportSink& Sink, int32_t First, int32_t Last, bool& Cancel);

private:
    class TPageWriter;

    // Returns true when cancelled after a page.
    bool WritePages(TReportSink& Sink, const TIDList& Pages, int32_t First, int32_t Last, bool& Cancel);
    // Called after page index i is written; true asks the run to stop.
    bool AfterPage(int32_t i, int32_t Last, bool& Cancel);

    TPDFAnalyst& FAnalyst;
    TPageReader& FPages;
    TStreamDecoder& FStreams;
    TRunOptions FOptions;
};

}  // namespace lumerra
