#include "decoder/RunLoop.h"

#include <cstdlib>
#include <deque>
#include <memory>
#include <vector>

#include "decoder/PagePlan.h"
#include "decoder/StreamPrefetcher.h"

namespace lumerra {

namespace {

// Stream requests made ahead of the writer, per thread: enough to keep every
// core busy on documents of small pages; the memory their results take is
// bounded by the prefetcher.
constexpr size_t RequestsAheadPerThread = 32;

// The progress position after page index i of a run that ends at Last,
// rounded to the nearest integer; -1 when Last - 1 is 0.
int32_t ProgressPosition(int32_t i, int32_t Last) {
    const int64_t d = int64_t{Last} - 1;
    if (d == 0) return -1;
    const int64_t n = int64_t{i} * 100;
    const bool negative = (n < 0) != (d < 0);
    const int64_t q = (std::abs(n) * 2 + std::abs(d)) / (std::abs(d) * 2);
    return static_cast<int32_t>(negative ? -q : q);
}

}  // namespace

// Writes planned pages from the streams the prefetcher decoded for them.
// The plan's jobs were requested in the order they are taken here.
class TRunLoop::TPageWriter {
public:
    TPageWriter(TStreamPrefetcher& Decoded, TReportSink& Sink, const TDamagedStreamProc& OnDamaged)
        : FDecoded(Decoded), FSink(Sink), FOnDamaged(OnDamaged) {}

    static void Request(TStreamPrefetcher& Decoded, const TPagePlan& Page) {
        for (const TStreamJob& job : Page.Streams) Decoded.Request(job.Object);
    }

    void Write(const TPagePlan& Page) {
        if (Page.Error) std::rethrow_exception(Page.Error);
        FSink.BeginPage(Page);
        size_t k = 0;
        for (; k < Page.Streams.size() && Page.Streams[k].Form >= 0; ++k) WriteStream(Page, Page.Streams[k]);
        if (Page.ContentsError) std::rethrow_exception(Page.ContentsError);
        for (; k < Page.Streams.size(); ++k) WriteStream(Page, Page.Streams[k]);
        FSink.EndPage(Page);
    }

private:
    void WriteStream(const TPagePlan& Page, const TStreamJob& Job) {
        TDecodedStream& decoded = FDecoded.Next();
        if (!decoded.Data) std::rethrow_exception(decoded.Error);
        decoded.Data->SetPosition(0);
        const TReportStream stream{Job, decoded.Filters, *decoded.Data, static_cast<int32_t>(decoded.Data->Size())};
        if (decoded.Error) {
            FSink.WriteFailedStream(Page, stream);
            std::rethrow_exception(decoded.Error);
        }
        if (decoded.Damage.Damaged && FOnDamaged) FOnDamaged(Page.Number, Job.Object, decoded.Damage);
        FSink.WriteStream(Page, stream);
    }

    TStreamPrefetcher& FDecoded;
    TReportSink& FSink;
    const TDamagedStreamProc& FOnDamaged;
};

bool TRunLoop::Run(TReportSink& Sink, int32_t First, int32_t Last, bool& Cancel) {
    bool cancelled = false;
    const auto finished = [this] {
        if (FOptions.Progress) FOptions.Progress(0, 100, 100, true);
    };
    try {
        TIDList pages;
        FAnalyst.GetPageList(&pages);
        const auto count = static_cast<int64_t>(pages.size());
        if (Last == ToLastPage) Last = static_cast<int32_t>(count);
        if (First < 1 || count < Last) throw Exception(TMessageCode::PageRangeInvalid);
        Sink.BeginReport(FAnalyst.FileName());
        cancelled = WritePages(Sink, pages, First, Last, Cancel);
        if (!cancelled) Sink.EndReport();
    } catch (...) {
        finished();
        throw;
    }
    finished();
    if (cancelled) Cancel = true;
    return !cancelled;
}

bool TRunLoop::WritePages(TReportSink& Sink, const TIDList& Pages, int32_t First, int32_t Last, bool& Cancel) {
    if (Last < First) return false;
    // Workers each read the file through a handle of their own; without
    // one, the writer decodes all.
    std::vector<std::unique_ptr<TDetachedStreamDecoder>> workers;
    try {
        for (int32_t i = 1; i < FOptions.Threads; ++i)
            workers.push_back(std::make_unique<TDetachedStreamDecoder>(FAnalyst));
    } catch (const Exception&) {
        workers.clear();
    }
    const size_t ahead = workers.empty() ? 0 : RequestsAheadPerThread * static_cast<size_t>(FOptions.Threads);
    TStreamPrefetcher decoded(FStreams, std::move(workers));
    TPageWriter writer(decoded, Sink, FOptions.OnDamagedStream);

    // Pages are planned in page order on this thread, so that every limit
    // of the collection falls where it falls when one thread does all; a
    // failed plan is raised when the writer reaches its page, as alone.
    std::deque<TPagePlan> planned;
    int32_t next = First - 1;
    bool planFailed = false;
    const auto plan = [&] {
        TPagePlan& page = planned.emplace_back(PlanPage(FPages, next + 1, Pages[static_cast<size_t>(next)]));
        ++next;
        planFailed = page.Error != nullptr;
        TPageWriter::Request(decoded, page);
    };
    for (int32_t i = First - 1; i <= Last - 1; ++i) {
        if (planned.empty()) plan();
        while (!planFailed && next <= Last - 1 && planned.size() < ahead && decoded.Waiting() < ahead) plan();
        writer.Write(planned.front());
        // Pages that share large resources must not add up in memory.
        planned.pop_front();
        if (AfterPage(i, Last, Cancel)) return true;
    }
    return false;
}

bool TRunLoop::AfterPage(int32_t i, int32_t Last, bool& Cancel) {
    if (!FOptions.Progress) return false;
    FOptions.Progress(0, 100, ProgressPosition(i, Last), false);
    const bool escape = FOptions.EscapeKeyQuery && FOptions.EscapeKeyQuery();
    return escape || Cancel;
}

}  // namespace lumerra
