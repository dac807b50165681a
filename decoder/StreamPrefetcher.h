// Streams decoded ahead of the report writer on worker threads. The writer
// asks for stream objects in the order it will write them and takes the
// results in that same order; each worker reads the file through a reader
// of its own (TPDFAnalyst::Reader), so no read position is ever shared.
// A writer that would wait decodes the next stream no worker took, through
// a reader of its own as well, so that no core idles while one is behind.
#pragma once

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
    int32_t Size = 0;
    std::exception_ptr Error;  // what decoding it raised, raised again when it is taken
    TStreamDamage Damage;      // what decoding it passed over
    int64_t HeldBytes = 0;     // of Data, in memory
    bool Done = false;
};

class TStreamPrefetcher {
public:
    // Decoded data above this stays on disk, so that what waits for the
    // writer stays small whatever the streams hold.
    static constexpr int32_t SpillThreshold = 4 * 1024 * 1024;
    // Decoded bytes kept in memory for the writer: past this, workers take
    // no new request until the writer takes results (the writer still
    // decodes the one it needs itself).
    static constexpr int64_t MaxHeldBytes = 32 * 1024 * 1024;

    // Workers threads and the writer's share, each with a reader of
    // Analyst's document; throws when a reader cannot be made.
    TStreamPrefetcher(const TPDFAnalyst& Analyst, int32_t Workers);
    // Stops the workers: a stream being decoded is finished, the rest are
    // dropped.
    ~TStreamPrefetcher();
    TStreamPrefetcher(const TStreamPrefetcher&) = delete;
    TStreamPrefetcher& operator=(const TStreamPrefetcher&) = delete;

    // Queues stream object N.
    void Request(int32_t N);
    // Requests not yet taken.
    size_t Waiting();
    // The oldest request's result, once decoded.
    std::unique_ptr<TPrefetchedStream> Take();

private:
    // Decodes streams through one reader; a decoder that cannot be made
    // answers every request with its error.
    class TDecodeSlot {
    public:
        explicit TDecodeSlot(std::unique_ptr<TPDFAnalyst> Reader);
        ~TDecodeSlot();
        void Decode(TPrefetchedStream& Job);

    private:
        std::unique_ptr<TPDFAnalyst> FReader;
        std::unique_ptr<TPDFLumerra> FDecoder;
        std::exception_ptr FSetupError;
    };

    void Work(TDecodeSlot& Slot);
    // The first request no worker took, claimed; null when there is none.
    TPrefetchedStream* ClaimLocked();
    void FinishLocked(TPrefetchedStream& Job);

    std::vector<std::unique_ptr<TDecodeSlot>> FSlots;  // the workers'
    std::unique_ptr<TDecodeSlot> FWriterSlot;
    std::vector<std::thread> FThreads;
    std::mutex FLock;
    std::condition_variable FWork;  // a request came, or stop
    std::condition_variable FDone;  // a result is ready
    std::deque<std::unique_ptr<TPrefetchedStream>> FQueue;  // in request order
    size_t FNextJob = 0;  // index in FQueue of the first request no worker took
    int64_t FHeldBytes = 0;  // of the results in FQueue
    bool FStop = false;
};

}  // namespace lumerra
