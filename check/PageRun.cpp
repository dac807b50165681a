#include "check/PageRun.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "common/Exceptions.h"
#include "pdf/PDFAnalyst.h"

namespace lumerra::check {

namespace {

// Pages checked ahead of the one handed on, per thread: enough that no
// thread waits for another's slow page, few enough that the findings held
// stay small.
constexpr int32_t PagesAheadPerThread = 8;

// One page's check, done on whichever thread took it.
struct TPageResult {
    bool Done = false;
    TPageFindings Findings;
    std::exception_ptr Error;
    struct TFault {
        int32_t Object;
        TMessage What;
    };
    std::vector<TFault> Faults;  // told on the calling thread, in order
};

// A worker's own reader of the document, and its checker over it.
struct TWorker {
    explicit TWorker(const TPDFAnalyst& Document) : Analyst(Document.Reader()) {
        if (!Analyst) throw Exception("no second reader of the document");
        Reader = std::make_unique<TObjectReader>(*Analyst);
        Checker = std::make_unique<TPageChecker>(*Reader);
    }
    std::unique_ptr<TPDFAnalyst> Analyst;
    std::unique_ptr<TObjectReader> Reader;
    std::unique_ptr<TPageChecker> Checker;
};

// The pages claimed and not yet handed on, First to Last: FResults holds
// pages FFront to FNextClaim - 1, in order.
class TPageRun {
public:
    TPageRun(const TIDList& Pages, int32_t First, int32_t Last, int32_t Ahead, bool KeepFaults)
        : FPages(Pages), FLast(Last), FAhead(Ahead), FKeepFaults(KeepFaults), FFront(First), FNextClaim(First) {}

    // Stops the workers: a page being checked is finished, the rest are left.
    ~TPageRun() {
        {
            const std::lock_guard lock(FLock);
            FStop = true;
        }
        FWork.notify_all();
        for (std::thread& thread : FThreads) thread.join();
    }
    TPageRun(const TPageRun&) = delete;
    TPageRun& operator=(const TPageRun&) = delete;

    void Start(std::vector<std::unique_ptr<TWorker>> Workers) {
        FWorkers = std::move(Workers);
        for (const std::unique_ptr<TWorker>& worker : FWorkers)
            FThreads.emplace_back([this, &worker] { Work(*worker->Checker); });
    }

    // The check of Page, the next page in order. While a worker has it in
    // hand, this thread checks the next page no one has taken, through Own,
    // rather than wait: threads wake each other only when one has nothing
    // to do.
    TPageResult Take(int32_t Page, TPageChecker& Own) {
        std::unique_lock lock(FLock);
        while (FNextClaim <= Page || !FResults.front().Done) {
            if (Room()) {
                const int32_t page = FNextClaim;
                TPageResult& result = Claim();
                lock.unlock();
                CheckPage(Own, page, result);
                lock.lock();
                result.Done = true;
                continue;
            }
            FCallerWaiting = true;
            FDone.wait(lock);
            FCallerWaiting = false;
        }
        TPageResult result = std::move(FResults.front());
        FResults.pop_front();
        ++FFront;
        // Workers that wait for room are woken once half the pages ahead
        // are taken, so that each claims several in a row.
        if (FWorkersWaiting > 0 && FNextClaim - FFront <= FAhead / 2) FWork.notify_all();
        return result;
    }

private:
    bool Room() const { return FNextClaim <= FLast && FNextClaim - FFront < FAhead; }

    TPageResult& Claim() {
        ++FNextClaim;
        return FResults.emplace_back();
    }

    void Work(TPageChecker& Checker) {
        std::unique_lock lock(FLock);
        for (;;) {
            while (!FStop && !Room()) {
                ++FWorkersWaiting;
                FWork.wait(lock);
                --FWorkersWaiting;
            }
            if (FStop) return;
            const int32_t page = FNextClaim;
            TPageResult& result = Claim();
            lock.unlock();
            CheckPage(Checker, page, result);
            lock.lock();
            result.Done = true;
            if (FCallerWaiting) FDone.notify_one();
        }
    }

    // Without the lock: Result is this thread's until it is Done (the
    // deque's elements stay where they are while others are added).
    void CheckPage(TPageChecker& Checker, int32_t Page, TPageResult& Result) {
        if (FKeepFaults)
            Checker.OnStreamFault = [&Result](int32_t, int32_t Object, const TMessage& What) {
                Result.Faults.push_back({Object, What});
            };
        try {
            Result.Findings = Checker.Check(Page, FPages[static_cast<size_t>(Page - 1)]);
        } catch (...) {
            Result.Error = std::current_exception();
        }
        Checker.OnStreamFault = nullptr;
    }

    const TIDList& FPages;
    const int32_t FLast;
    const int32_t FAhead;
    const bool FKeepFaults;
    std::vector<std::unique_ptr<TWorker>> FWorkers;
    std::vector<std::thread> FThreads;
    std::mutex FLock;
    std::condition_variable FWork;  // room was made, or stop
    std::condition_variable FDone;  // a worker checked a page
    std::deque<TPageResult> FResults;
    int32_t FFront;
    int32_t FNextClaim;
    bool FStop = false;
    bool FCallerWaiting = false;  // in Take, for a page a worker has in hand
    int32_t FWorkersWaiting = 0;  // for room
};

}  // namespace

bool CheckPagesOnThreads(TObjectReader& Reader, const TIDList& Pages, int32_t First, int32_t Last, int32_t Threads,
                         const std::function<void(const TPageFindings&)>& OnPage,
                         const std::function<bool(int32_t Done)>& KeepGoing, const TStreamFaultProc& OnStreamFault) {
    Last = std::min(Last, static_cast<int32_t>(Pages.size()));
    std::vector<std::unique_ptr<TWorker>> workers;
    try {
        for (int32_t i = 1; i < Threads && i <= Last - First; ++i)
            workers.push_back(std::make_unique<TWorker>(Reader.Analyst()));
    } catch (const std::exception&) {
        workers.clear();
    }
    if (workers.empty()) return CheckPages(Reader, Pages, First, Last, OnPage, KeepGoing, OnStreamFault);

    TPageChecker own(Reader);
    TPageRun run(Pages, First, Last, PagesAheadPerThread * Threads, OnStreamFault != nullptr);
    run.Start(std::move(workers));
    for (int32_t page = First; page <= Last; ++page) {
        if (KeepGoing && !KeepGoing(page - First)) return false;
        const TPageResult result = run.Take(page, own);
        for (const TPageResult::TFault& fault : result.Faults) OnStreamFault(page, fault.Object, fault.What);
        if (result.Error) std::rethrow_exception(result.Error);
        OnPage(result.Findings);
    }
    return true;
}

}  // namespace lumerra::check
