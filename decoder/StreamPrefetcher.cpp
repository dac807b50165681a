#include "decoder/StreamPrefetcher.h"

#include "decoder/PDFLumerra.h"

#include <algorithm>
#include <chrono>

namespace lumerra {

namespace {

std::unique_ptr<TPDFAnalyst> ReaderOf(const TPDFAnalyst& Analyst) {
    auto reader = Analyst.Reader();
    if (!reader) throw Exception("no second reader of the document");
    return reader;
}

}  // namespace

TStreamPrefetcher::TDecodeSlot::TDecodeSlot(TStreamPrefetcher& Owner, std::unique_ptr<TPDFAnalyst> Reader)
    : FOwner(Owner), FReader(std::move(Reader)), FDecoder(std::make_unique<TPDFLumerra>(FReader.get())) {}

TStreamPrefetcher::TDecodeSlot::~TDecodeSlot() = default;

void TStreamPrefetcher::TDecodeSlot::Decode(TPrefetchedStream& Stream) {
    try {
        Stream.Data = FOwner.NewBuffer();
        FDecoder->DecodeStreamObject(Stream.Object, Stream.Filters, *Stream.Data);
        Stream.Damage = FDecoder->LastDamage();
    } catch (...) {
        Stream.Error = std::current_exception();
    }
}

void TStreamPrefetcher::TDecodeSlot::Do(TPrefetchJob& Job) {
    if (Job.Page < 0) {
        Decode(Job.Streams.front());
    } else {
        try {
            FDecoder->GetPageContents(Job.Page, Job.Contents);
        } catch (...) {
            Job.ContentsError = std::current_exception();
            return;
        }
        Job.Streams.reserve(Job.Contents.size());
        for (const int32_t object : Job.Contents) {
            TPrefetchedStream& stream = Job.Streams.emplace_back();
            stream.Object = object;
            Decode(stream);
            // The writer stops at this one.
            if (stream.Error) break;
        }
    }
    for (const TPrefetchedStream& stream : Job.Streams)
        if (stream.Data && !stream.Data->Spilled()) Job.HeldBytes += stream.Data->Size();
}

TStreamPrefetcher::TStreamPrefetcher(const TPDFAnalyst& Analyst, int32_t Workers) {
    for (int32_t i = 0; i < Workers; ++i) FSlots.push_back(std::make_unique<TDecodeSlot>(*this, ReaderOf(Analyst)));
    FWriterSlot = std::make_unique<TDecodeSlot>(*this, ReaderOf(Analyst));
    for (auto& slot : FSlots) FThreads.emplace_back([this, &slot] { Work(*slot); });
}

TStreamPrefetcher::~TStreamPrefetcher() {
    {
        std::lock_guard<std::mutex> lock(FLock);
        FStop = true;
        ++FEvents;
    }
    FWork.notify_all();
    for (std::thread& thread : FThreads) thread.join();
}

void TStreamPrefetcher::RequestStream(int32_t N) {
    auto job = std::make_unique<TPrefetchJob>();
    job->Streams.emplace_back().Object = N;
    Request(std::move(job));
}

void TStreamPrefetcher::RequestPageContents(int32_t P) {
    auto job = std::make_unique<TPrefetchJob>();
    job->Page = P;
    Request(std::move(job));
}

void TStreamPrefetcher::Request(std::unique_ptr<TPrefetchJob> Job) {
    {
        std::lock_guard<std::mutex> lock(FLock);
        FQueue.push_back(std::move(Job));
        ++FEvents;
    }
    FWork.notify_one();
}

size_t TStreamPrefetcher::Waiting() {
    std::lock_guard<std::mutex> lock(FLock);
    return FQueue.size();
}

TPrefetchJob* TStreamPrefetcher::ClaimLocked() {
    // A claimed request stays in the queue, in its place, until it is taken.
    if (FNextJob == FQueue.size()) return nullptr;
    ++FInFlight;
    return FQueue[FNextJob++].get();
}

bool TStreamPrefetcher::RoomLocked() const {
    // Each request being done may turn out as large as the largest so far.
    return FHeldBytes + static_cast<int64_t>(FInFlight) * FLargestResult < MaxHeldBytes;
}

void TStreamPrefetcher::FinishLocked(TPrefetchJob& Job) {
    Job.Done = true;
    ++FEvents;
    FHeldBytes += Job.HeldBytes;
    FLargestResult = std::max(FLargestResult, Job.HeldBytes);
    --FInFlight;
}

std::unique_ptr<TSpillStream> TStreamPrefetcher::NewBuffer() {
    {
        std::lock_guard<std::mutex> lock(FLock);
        if (!FSpare.empty()) {
            auto buffer = std::move(FSpare.back());
            FSpare.pop_back();
            FSpareBytes -= buffer->Capacity();
            return buffer;
        }
    }
    return std::make_unique<TSpillStream>(SpillThreshold);
}

void TStreamPrefetcher::KeepSpareLocked(TPrefetchJob& Job) {
    for (TPrefetchedStream& stream : Job.Streams) {
        if (!stream.Data || stream.Data->Spilled()) continue;
        const int32_t capacity = stream.Data->Capacity();
        if (capacity > MaxSpareBuffer || FSpareBytes + capacity > MaxSpareBytes) continue;
        stream.Data->Clear();  // keeps the memory of a buffer this small
        FSpareBytes += capacity;
        FSpare.push_back(std::move(stream.Data));
    }
}

template <class TReady>
void TStreamPrefetcher::SpinThenWait(std::unique_lock<std::mutex>& Lock, std::condition_variable& Signal,
                                     TReady Ready) {
    if (Ready()) return;
    // Waking a thread that went to sleep can take longer than decoding a
    // small stream, above all in a virtual machine: look for news a little
    // while before sleeping.
    const uint64_t seen = FEvents.load();
    Lock.unlock();
    const auto until = std::chrono::steady_clock::now() + SpinTime;
    while (FEvents.load() == seen && std::chrono::steady_clock::now() < until) std::this_thread::yield();
    Lock.lock();
    Signal.wait(Lock, Ready);
}

void TStreamPrefetcher::TakeNext() {
    // What is not kept of the request written last is freed after the lock.
    const std::unique_ptr<TPrefetchJob> written = std::move(FCurrent);
    std::unique_lock<std::mutex> lock(FLock);
    if (written) KeepSpareLocked(*written);
    if (FQueue.empty()) throw Exception("stream decoded out of order");
    while (!FQueue.front()->Done) {
        if (TPrefetchJob* job = ClaimLocked()) {
            lock.unlock();
            FWriterSlot->Do(*job);
            lock.lock();
            FinishLocked(*job);
        } else {
            SpinThenWait(lock, FDone, [this] { return FQueue.front()->Done || FNextJob < FQueue.size(); });
        }
    }
    FCurrent = std::move(FQueue.front());
    FNextStream = 0;
    FQueue.pop_front();
    --FNextJob;
    FHeldBytes -= FCurrent->HeldBytes;
    ++FEvents;
    lock.unlock();
    FWork.notify_all();  // room was made
}

TPrefetchedStream& TStreamPrefetcher::NextStream(int32_t N) {
    if (!FCurrent || FNextStream == FCurrent->Streams.size()) TakeNext();
    if (FNextStream == FCurrent->Streams.size() || FCurrent->Streams[FNextStream].Object != N)
        throw Exception("stream decoded out of order");
    return FCurrent->Streams[FNextStream++];
}

const TIDList& TStreamPrefetcher::NextPageContents(int32_t P) {
    TakeNext();
    if (FCurrent->Page != P) throw Exception("stream decoded out of order");
    if (FCurrent->ContentsError) std::rethrow_exception(FCurrent->ContentsError);
    return FCurrent->Contents;
}

void TStreamPrefetcher::Work(TDecodeSlot& Slot) {
    for (;;) {
        TPrefetchJob* job;
        {
            std::unique_lock<std::mutex> lock(FLock);
            SpinThenWait(lock, FWork,
                         [this] { return FStop || (FNextJob < FQueue.size() && RoomLocked()); });
            if (FStop) return;
            job = ClaimLocked();
        }
        Slot.Do(*job);
        {
            std::lock_guard<std::mutex> lock(FLock);
            FinishLocked(*job);
        }
        FDone.notify_all();
        FWork.notify_all();  // room was made
    }
}

}  // namespace lumerra
