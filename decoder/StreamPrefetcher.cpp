#include "decoder/StreamPrefetcher.h"

#include "decoder/PDFLumerra.h"

namespace lumerra {

namespace {

std::unique_ptr<TPDFAnalyst> ReaderOf(const TPDFAnalyst& Analyst) {
    auto reader = Analyst.Reader();
    if (!reader) throw Exception("no second reader of the document");
    return reader;
}

}  // namespace

TStreamPrefetcher::TDecodeSlot::TDecodeSlot(std::unique_ptr<TPDFAnalyst> Reader) : FReader(std::move(Reader)) {
    try {
        FDecoder = std::make_unique<TPDFLumerra>(FReader.get());
    } catch (...) {
        FSetupError = std::current_exception();
    }
}

TStreamPrefetcher::TDecodeSlot::~TDecodeSlot() = default;

void TStreamPrefetcher::TDecodeSlot::Decode(TPrefetchedStream& Job) {
    try {
        if (FSetupError) std::rethrow_exception(FSetupError);
        Job.Data = std::make_unique<TSpillStream>(SpillThreshold);
        Job.Size = FDecoder->DecodeStreamObject(Job.Object, Job.Filters, *Job.Data);
        Job.Damage = FDecoder->LastDamage();
        if (!Job.Data->Spilled()) Job.HeldBytes = Job.Size;
    } catch (...) {
        Job.Error = std::current_exception();
    }
}

TStreamPrefetcher::TStreamPrefetcher(const TPDFAnalyst& Analyst, int32_t Workers) {
    for (int32_t i = 0; i < Workers; ++i) FSlots.push_back(std::make_unique<TDecodeSlot>(ReaderOf(Analyst)));
    FWriterSlot = std::make_unique<TDecodeSlot>(ReaderOf(Analyst));
    for (auto& slot : FSlots) FThreads.emplace_back([this, &slot] { Work(*slot); });
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

TPrefetchedStream* TStreamPrefetcher::ClaimLocked() {
    // A claimed job stays in the queue, in its place, until it is taken.
    return FNextJob < FQueue.size() ? FQueue[FNextJob++].get() : nullptr;
}

void TStreamPrefetcher::FinishLocked(TPrefetchedStream& Job) {
    Job.Done = true;
    FHeldBytes += Job.HeldBytes;
}

std::unique_ptr<TPrefetchedStream> TStreamPrefetcher::Take() {
    std::unique_lock<std::mutex> lock(FLock);
    while (!FQueue.front()->Done) {
        if (TPrefetchedStream* job = ClaimLocked()) {
            lock.unlock();
            FWriterSlot->Decode(*job);
            lock.lock();
            FinishLocked(*job);
        } else {
            FDone.wait(lock);
        }
    }
    auto result = std::move(FQueue.front());
    FQueue.pop_front();
    --FNextJob;
    const bool wasFull = FHeldBytes >= MaxHeldBytes;
    FHeldBytes -= result->HeldBytes;
    lock.unlock();
    if (wasFull) FWork.notify_all();
    return result;
}

void TStreamPrefetcher::Work(TDecodeSlot& Slot) {
    for (;;) {
        TPrefetchedStream* job;
        {
            std::unique_lock<std::mutex> lock(FLock);
            FWork.wait(lock,
                       [this] { return FStop || (FNextJob < FQueue.size() && FHeldBytes < MaxHeldBytes); });
            if (FStop) return;
            job = ClaimLocked();
        }
        Slot.Decode(*job);
        {
            std::lock_guard<std::mutex> lock(FLock);
            FinishLocked(*job);
        }
        FDone.notify_all();
    }
}

}  // namespace lumerra
