#include "decoder/StreamPrefetcher.h"

#include <algorithm>
#include <cassert>

namespace lumerra {

TStreamPrefetcher::TStreamPrefetcher(TStreamDecoder& Writer,
                                     std::vector<std::unique_ptr<TDetachedStreamDecoder>> Workers)
    : FWriter(Writer), FWorkers(std::move(Workers)) {
    for (auto& worker : FWorkers)
        FThreads.emplace_back([this, decoder = &worker->Decoder()] { Work(*decoder); });
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

void TStreamPrefetcher::Decode(TStreamDecoder& Decoder, TJob& Job) {
    TDecodedStream& stream = Job.Stream;
    try {
        stream.Data = NewBuffer();
        Decoder.Decode(stream.Object, stream.Filters, *stream.Data, &stream.Damage);
    } catch (...) {
        stream.Error = std::current_exception();
    }
    if (stream.Data && !stream.Data->Spilled()) Job.HeldBytes = stream.Data->Size();
}

void TStreamPrefetcher::Request(int32_t N) {
    auto job = std::make_unique<TJob>();
    job->Stream.Object = N;
    {
        std::lock_guard<std::mutex> lock(FLock);
        FQueue.push_back(std::move(job));
        ++FEvents;
    }
    if (!FThreads.empty()) FWork.notify_one();
}

size_t TStreamPrefetcher::Waiting() {
    std::lock_guard<std::mutex> lock(FLock);
    return FQueue.size();
}

TStreamPrefetcher::TJob* TStreamPrefetcher::ClaimLocked() {
    // A claimed request stays in the queue, in its place, until it is taken.
    if (FNextJob == FQueue.size()) return nullptr;
    ++FInFlight;
    return FQueue[FNextJob++].get();
}

bool TStreamPrefetcher::RoomLocked() const {
    // Each request being done may turn out as large as the largest so far.
    return FHeldBytes + static_cast<int64_t>(FInFlight) * FLargestResult < MaxHeldBytes;
}

void TStreamPrefetcher::FinishLocked(TJob& Job) {
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

void TStreamPrefetcher::KeepSpareLocked(TJob& Job) {
    std::unique_ptr<TSpillStream>& data = Job.Stream.Data;
    if (!data || data->Spilled()) return;
    const int32_t capacity = data->Capacity();
    if (capacity > MaxSpareBuffer || FSpareBytes + capacity > MaxSpareBytes) return;
    data->Clear();  // keeps the memory of a buffer this small
    FSpareBytes += capacity;
    FSpare.push_back(std::move(data));
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

TDecodedStream& TStreamPrefetcher::Next() {
    // What is not kept of the stream written last is freed after the lock.
    const std::unique_ptr<TJob> written = std::move(FCurrent);
    std::unique_lock<std::mutex> lock(FLock);
    if (written) KeepSpareLocked(*written);
    assert(!FQueue.empty());
    while (!FQueue.front()->Done) {
        if (TJob* job = ClaimLocked()) {
            lock.unlock();
            Decode(FWriter, *job);
            lock.lock();
            FinishLocked(*job);
        } else {
            SpinThenWait(lock, FDone, [this] { return FQueue.front()->Done || FNextJob < FQueue.size(); });
        }
    }
    FCurrent = std::move(FQueue.front());
    FQueue.pop_front();
    --FNextJob;
    FHeldBytes -= FCurrent->HeldBytes;
    ++FEvents;
    lock.unlock();
    if (!FThreads.empty()) FWork.notify_all();  // room was made
    return FCurrent->Stream;
}

void TStreamPrefetcher::Work(TStreamDecoder& Decoder) {
    for (;;) {
        TJob* job;
        {
            std::unique_lock<std::mutex> lock(FLock);
            SpinThenWait(lock, FWork, [this] { return FStop || (FNextJob < FQueue.size() && RoomLocked()); });
            if (FStop) return;
            job = ClaimLocked();
        }
        Decode(Decoder, *job);
        {
            std::lock_guard<std::mutex> lock(FLock);
            FinishLocked(*job);
        }
        FDone.notify_all();
        FWork.notify_all();  // room was made
    }
}

}  // namespace lumerra
