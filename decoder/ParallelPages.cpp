// Pages written in order while worker threads decode the streams of the
// pages ahead. The writer collects each page's resources itself, in page
// order, so that every limit of the collection falls where it falls when
// one thread does all: only the decoding of stream data moves to workers.
#include <algorithm>
#include <deque>
#include <optional>

#include "decoder/PDFLumerra.h"
#include "decoder/StreamPrefetcher.h"

namespace lumerra {

namespace {

// Streams asked for ahead of the writer, per thread: enough to keep every
// core busy on documents of small pages; the memory they take is bounded by
// the prefetcher.
constexpr size_t StreamsAheadPerThread = 32;

}  // namespace

bool TPDFLumerra::WritePagesInParallel(const TIDList& Pages, int32_t First, int32_t Last, bool WithComments,
                                       TStream& Output, const TAfterPage& AfterPage) {
    const int32_t workers = Threads - 1;
    std::unique_ptr<TStreamPrefetcher> prefetcher;
    try {
        prefetcher = std::make_unique<TStreamPrefetcher>(*FAnalyst, workers);
    } catch (const Exception&) {
        return WritePagesInTurn(Pages, First, Last, WithComments, Output, AfterPage);
    }

    // A page whose resources are collected and whose streams are requested.
    struct TPlanned {
        int32_t Page = -1;
        TPageResource* Resources = nullptr;
        std::optional<TIDList> Contents;  // read unless reading it failed
        std::exception_ptr Error;  // raised when the writer reaches the page
    };
    std::deque<TPlanned> planned;
    int32_t next = First - 1;
    bool planFailed = false;
    const auto plan = [&] {
        TPlanned item;
        item.Page = Pages[static_cast<size_t>(next++)];
        try {
            TPageResource& R = CollectPageResources(item.Page);
            item.Resources = &R;
            for (int32_t i = 0; i < R.ChildCount(); ++i) prefetcher->Request(R.GetChild(i).ObjectNumber);
        } catch (...) {
            // Raised before anything of the page is written, as alone.
            item.Error = std::current_exception();
            planFailed = true;
        }
        if (!planFailed) {
            try {
                TIDList contents;
                GetPageContents(item.Page, contents);
                for (const int32_t content : contents) prefetcher->Request(content);
                item.Contents = std::move(contents);
            } catch (const Exception&) {
                // The writer meets this error itself, after the page's forms,
                // where a run on one thread meets it.
                planFailed = true;
            }
        }
        planned.push_back(std::move(item));
    };

    FAhead = prefetcher.get();
    struct TStopTakingAhead {
        TStreamPrefetcher*& Ahead;
        ~TStopTakingAhead() { Ahead = nullptr; }
    } stopTakingAhead{FAhead};

    // The writer decodes too while it would wait.
    const size_t ahead = StreamsAheadPerThread * static_cast<size_t>(Threads);
    for (int32_t i = First - 1; i <= Last - 1; ++i) {
        if (planned.empty()) plan();
        while (!planFailed && next <= Last - 1 && prefetcher->Waiting() < ahead) plan();
        TPlanned page = std::move(planned.front());
        planned.pop_front();
        if (page.Error) std::rethrow_exception(page.Error);
        FCurrentPage = i + 1;
        WritePage(page.Page, *page.Resources, Output, i + 1, WithComments,
                  page.Contents ? &*page.Contents : nullptr);
        // The written page's record goes; those planned ahead stay.
        auto& items = FPageResources.Items;
        items.erase(std::find_if(items.begin(), items.end(),
                                 [&page](const auto& item) { return item.get() == page.Resources; }));
        if (AfterPage(i)) return true;
    }
    return false;
}

}  // namespace lumerra
