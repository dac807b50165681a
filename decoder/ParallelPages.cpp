// Pages written in order while worker threads decode the streams of the
// pages ahead. The writer collects each page's resources itself, in page
// order, so that every limit of the collection falls where it falls when
// one thread does all: only reading content lists and decoding stream data
// move to workers, and their errors are raised where one thread meets them.
#include <algorithm>
#include <deque>

#include "decoder/PDFLumerra.h"
#include "decoder/StreamPrefetcher.h"

namespace lumerra {

namespace {

// Requests (a form's stream, a page's contents) made ahead of the writer,
// per thread: enough to keep every core busy on documents of small pages;
// the memory their results take is bounded by the prefetcher.
constexpr size_t RequestsAheadPerThread = 32;

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
            for (int32_t i = 0; i < R.ChildCount(); ++i) prefetcher->RequestStream(R.GetChild(i).ObjectNumber);
            // A content list that cannot be read is raised when the writer
            // asks for it, after the page's forms, as on one thread.
            prefetcher->RequestPageContents(item.Page);
        } catch (...) {
            // Raised before anything of the page is written, as alone.
            item.Error = std::current_exception();
            planFailed = true;
        }
        planned.push_back(std::move(item));
    };

    FAhead = prefetcher.get();
    struct TStopTakingAhead {
        TStreamPrefetcher*& Ahead;
        ~TStopTakingAhead() { Ahead = nullptr; }
    } stopTakingAhead{FAhead};

    // The writer decodes too while it would wait.
    const size_t ahead = RequestsAheadPerThread * static_cast<size_t>(Threads);
    for (int32_t i = First - 1; i <= Last - 1; ++i) {
        if (planned.empty()) plan();
        while (!planFailed && next <= Last - 1 && prefetcher->Waiting() < ahead) plan();
        TPlanned page = std::move(planned.front());
        planned.pop_front();
        if (page.Error) std::rethrow_exception(page.Error);
        FCurrentPage = i + 1;
        WritePage(page.Page, *page.Resources, Output, i + 1, WithComments);
        // The written page's record goes; those planned ahead stay.
        auto& items = FPageResources.Items;
        items.erase(std::find_if(items.begin(), items.end(),
                                 [&page](const auto& item) { return item.get() == page.Resources; }));
        if (AfterPage(i)) return true;
    }
    return false;
}

}  // namespace lumerra
