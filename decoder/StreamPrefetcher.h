// Streams decoded ahead of the report writer. The run loop requests the
// streams of the pages it planned, in the order of their plans, and takes
// them back in that same order: the queue is the order. Worker threads
// decode requests, each through a decoder of its own, so no read position
// is ever shared. A writer that would wait decodes the next request no
// worker took itself, through its own decoder, so that no core idles while
// one is behind; with no workers it decodes every request so.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "common/SpillStream.h"
#include "common/StrUtils.h"
#include "decoder/StreamDecoder.h"
#include "pdf/StreamData.h"

namespace lumerra {

struct TDecodedStream {
    int32_t Object = -1;
    TStringList Filters;
    std::unique_ptr<TSpillStream> Data;  // what was decoded, also before a failure
    std::exception_ptr Error;  // what decoding it raised
    TStreamDamage Damage;      // what decoding it passed over
};

class TStreamPrefetcher {
public:
    // Decoded data above this stays on disk, so that what waits for the
    // writer stays small whatever the streams hold.
    static constexpr int32_t SpillThreshold = 4 * 1024 * 1024;
    // Decoded bytes kept in memory for the writer, counting each request
    // being done as large as the largest result so far: past this, workers
    // take no new request until the writer takes results (the writer still
    // does the one it needs itself).
    static constexpr int64_t MaxHeldBytes = 32 * 1024 * 1024;
    // Memory of written streams kept for the next ones, so that workers do
    // not allocate (and the writer free) a buffer for every stream.
    // Only small buffers are kept: they are the ones made again and again.
    static constexpr int32_t MaxSpareBuffer = 1024 * 1024;
    static constexpr int64_t MaxSpareBytes = 4 * 1024 * 1024;

    // Writer decodes on the writer's thread; each of Workers gets a thread.
    TStreamPrefetcher(TStreamDecoder& Writer, std::vector<std::unique_ptr<TDetachedStreamDecoder>> Workers);
    // Stops the workers: a request being done is finished, the rest are
    // dropped.
    ~TStreamPrefetcher();
    TStreamPrefetcher(const TStreamPrefetcher&) = delete;
    TStreamPrefetcher& operator=(const TStreamPrefetcher&) = delete;

    // Queues stream object N.
    void Request(int32_t N);
    // Requests not yet taken.
    size_t Waiting();
    // The oldest request not yet taken, once decoded; it stays valid until
    // the next call. Only as many calls as requests.
    TDecodedStream& Next();

private:
    struct TJob {
        TDecodedStream Stream;
        int64_t HeldBytes = 0;  // of the stream's data, in memory
        bool Done = false;
    };

    void Decode(TStreamDecoder& Decoder, TJob& Job);
    void Work(TStreamDecoder& Decoder);
    // The first request no worker took, claimed; null when there is none.
    TJob* ClaimLocked();
    // Whether a worker may take another request.
    bool RoomLocked() const;
    void FinishLocked(TJob& Job);
    // Waits under Lock until Ready, woken by Signal.
    template <class TReady>
    void SpinThenWait(std::unique_lock<std::mutex>& Lock, std::condition_variable& Signal, TReady Ready);
    static constexpr std::chrono::microseconds SpinTime{100};
    // A buffer for a stream: a spare one, or a new one.
    std::unique_ptr<TSpillStream> NewBuffer();
    void KeepSpareLocked(TJob& Job);

    TStreamDecoder& FWriter;
    std::vector<std::unique_ptr<TDetachedStreamDecoder>> FWorkers;
    std::vector<std::thread> FThreads;
    std::mutex FLock;
    std::condition_variable FWork;  // a request came, room was made, or stop
    std::condition_variable FDone;  // a request was done
    std::deque<std::unique_ptr<TJob>> FQueue;  // in request order
    size_t FNextJob = 0;     // index in FQueue of the first request no worker took
    int64_t FHeldBytes = 0;  // of the done requests in FQueue
    size_t FInFlight = 0;    // requests claimed and not done
    int64_t FLargestResult = 0;
    std::vector<std::unique_ptr<TSpillStream>> FSpare;
    int64_t FSpareBytes = 0;
    bool FStop = false;
    std::atomic<uint64_t> FEvents{0};  // counts every change a waiting thread may look for

    std::unique_ptr<TJob> FCurrent;  // the writer's, taken last
};

}  // namespace lumerra
