#include "decoder/StreamPrefetcher.h"

#include "decoder/PDFLumerra.h"

namespace lumerra {

TStreamPrefetcher::TStreamPrefetcher(const TPDFAnalyst& Analyst, int32_t Workers) {
    for (int32_t i = 0; i < Workers; ++i) {
        auto reader = Analyst.Reader();
        if (!reader) throw Exception("no second reader of the document");
        FReaders.push_back(std::move(reader));
    }
    for (auto& reader : FReaders) FThreads.emplace_back([this, &reader] { Work(*reader); });
}

TStreamPrefetcher::~TStreamPrefetcher() {
    {
        std::lock_guard<std::mutex> lock(FLock);
        FStop = true;
    }
    FWork.notify_all();
    for (std::thread& thread : FThreads) thread.join();
}

void TStreamPrefetcher::Request(int32_t N) {
    auto job = std::make_unique<TPrefetchedStream>();
    job->Object = N;
    {
        std::lock_guard<std::mutex> lock(FLock);
        FQueue.push_back(std::move(job));
    }
    FWork.notify_one();
}

size_t TStreamPrefetcher::Waiting() {
    std::lock_guard<std::mutex> lock(FLock);
    return FQueue.size();
}

std::unique_ptr<TPrefetchedStream> TStreamPrefetcher::Take() {
    std::unique_lock<std::mutex> lock(FLock);
    FDone.wait(lock, [this] { return FQueue.front()->Done; });
    auto result = std::move(FQueue.front());
    FQueue.pop_front();
    --FNextJob;
    return result;
}

void TStreamPrefetcher::Work(TPDFAnalyst& Reader) {
    // A decoder that cannot be made answers every request with its error.
    std::unique_ptr<TPDFLumerra> decoder;
    std::exception_ptr setupError;
    try {
        decoder = std::make_unique<TPDFLumerra>(&Reader);
    } catch (...) {
        setupError = std::current_exception();
    }
    for (;;) {
        TPrefetchedStream* job;
        {
            std::unique_lock<std::mutex> lock(FLock);
            FWork.wait(lock, [this] { return FStop || FNextJob < FQueue.size(); });
            if (FStop) return;
            job = FQueue[FNextJob++].get();
        }
        // The job stays in the queue until the writer takes it, after Done.
        try {
            if (setupError) std::rethrow_exception(setupError);
            job->Data = std::make_unique<TSpillStream>(SpillThreshold);
            job->Size = decoder->DecodeStreamObject(job->Object, job->Filters, *job->Data);
            job->Damage = decoder->LastDamage();
        } catch (...) {
            job->Error = std::current_exception();
        }
        {
            std::lock_guard<std::mutex> lock(FLock);
            job->Done = true;
        }
        FDone.notify_all();
    }
}

}  // namespace lumerra
