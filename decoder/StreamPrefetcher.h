// Streams decoded ahead of the report writer on worker threads. The writer
// asks for the streams of the pages ahead in the order it will write them
// (each Form XObject's stream, then each page's contents) and takes them in
// that same order. Each worker reads the file through a reader of its own
// (TPDFAnalyst::Reader), so no read position is ever shared. A writer that
// would wait does the next request no worker took, through a reader of its
// own as well, so that no core idles while one is behind.
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
#include "pdf/PDFAnalyst.h"
#include "pdf/StreamData.h"

namespace lumerra {

class TPDFLumerra;

struct TPrefetchedStream {
    int32_t Object = -1;
    TStringList Filters;
    std::unique_ptr<TSpillStream> Data;
    std::exception_ptr Error;  // what decoding it raised, raised again when it is taken
    TStreamDamage Damage;      // what decoding it passed over
};

// One request: a Form XObject's stream, or a page's content list and the
// streams in it.
struct TPrefetchJob {
    int32_t Page = -1;  // a page's contents when set
    TIDList Contents;
    std::exception_ptr ContentsError;  // reading the page's content list failed
    // In request order; a page's end after the first that failed.
    std::vector<TPrefetchedStream> Streams;
    int64_t HeldBytes = 0;  // of the streams' data, in memory
    bool Done = false;
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

    // Workers threads and the writer's share, each with a reader of
    // Analyst's document; throws when a reader or its decoder cannot be
    // made.
    TStreamPrefetcher(const TPDFAnalyst& Analyst, int32_t Workers);
    // Stops the workers: a request being done is finished, the rest are
    // dropped.
    ~TStreamPrefetcher();
    TStreamPrefetcher(const TStreamPrefetcher&) = delete;
    TStreamPrefetcher& operator=(const TStreamPrefetcher&) = delete;

    // Queues stream object N.
    void RequestStream(int32_t N);
    // Queues page P's content list and its streams.
    void RequestPageContents(int32_t P);
    // Requests not yet taken.
    size_t Waiting();

    // The writer's side, in request order. Stream object N, the next stream
    // requested; it stays valid until the next call.
    TPrefetchedStream& NextStream(int32_t N);
    // Page P's content list, the next request; raises what reading it
    // raised. Its streams follow through NextStream.
    const TIDList& NextPageContents(int32_t P);

private:
    // Does requests through one reader.
    class TDecodeSlot {
    public:
        TDecodeSlot(TStreamPrefetcher& Owner, std::unique_ptr<TPDFAnalyst> Reader);
        ~TDecodeSlot();
        void Do(TPrefetchJob& Job);

    private:
        void Decode(TPrefetchedStream& Stream);

        TStreamPrefetcher& FOwner;
        std::unique_ptr<TPDFAnalyst> FReader;
        std::unique_ptr<TPDFLumerra> FDecoder;
    };

    void Request(std::unique_ptr<TPrefetchJob> Job);
    // The oldest request once done: it becomes the writer's current one.
    void TakeNext();
    void Work(TDecodeSlot& Slot);
    // The first request no worker took, claimed; null when there is none.
    TPrefetchJob* ClaimLocked();
    // Whether a worker may take another request.
    bool RoomLocked() const;
    void FinishLocked(TPrefetchJob& Job);
    // Waits under Lock until Ready, woken by Signal.
    template <class TReady>
    void SpinThenWait(std::unique_lock<std::mutex>& Lock, std::condition_variable& Signal, TReady Ready);
    static constexpr std::chrono::microseconds SpinTime{100};
    // A buffer for a stream: a spare one, or a new one.
    std::unique_ptr<TSpillStream> NewBuffer();
    void KeepSpareLocked(TPrefetchJob& Job);

    std::vector<std::unique_ptr<TDecodeSlot>> FSlots;  // the workers'
    std::unique_ptr<TDecodeSlot> FWriterSlot;
    std::vector<std::thread> FThreads;
    std::mutex FLock;
    std::condition_variable FWork;  // a request came, room was made, or stop
    std::condition_variable FDone;  // a request was done
    std::deque<std::unique_ptr<TPrefetchJob>> FQueue;  // in request order
    size_t FNextJob = 0;     // index in FQueue of the first request no worker took
    int64_t FHeldBytes = 0;  // of the done requests in FQueue
    size_t FInFlight = 0;    // requests claimed and not done
    int64_t FLargestResult = 0;
    std::vector<std::unique_ptr<TSpillStream>> FSpare;
    int64_t FSpareBytes = 0;
    bool FStop = false;
    std::atomic<uint64_t> FEvents{0};  // counts every change a waiting thread may look for

    // The writer's: the request taken last and its next stream.
    std::unique_ptr<TPrefetchJob> FCurrent;
    size_t FNextStream = 0;
};

}  // namespace lumerra
