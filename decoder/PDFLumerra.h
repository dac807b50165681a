// TPDFLumerra: the content decoder. Collects the resources of each page and
// of the Form XObjects it can draw, decodes their streams and writes the
// report.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "common/Stream.h"
#include "common/StrUtils.h"
#include "decoder/PDFResource.h"
#include "pdf/PDFAnalyst.h"
#include "pdf/StreamData.h"

namespace lumerra {

// Progress of a run: called after each page with (0, 100, position, false)
// and once at the very end with (0, 100, 100, true).
using TDecodeProgressProc = std::function<void(int32_t Min, int32_t Max, int32_t Position, bool Done)>;

// "Was Escape pressed since the last look, or is it held now?" The desktop
// program answers from its key events, the command line from Ctrl-C.
using TEscapeKeyQuery = std::function<bool()>;

// What the scans of page-tree nodes and forms found (defined with the
// collector).
class TScanCache;
// Streams decoded ahead of the writer (StreamPrefetcher.h).
class TStreamPrefetcher;
struct TPrefetchedStream;
// Extended reading's objects (pdf/ObjectReader.h).
class TObjectReader;
class TSpillStream;

class TPDFLumerra {
public:
    // Raises "nilは代入できません。" for a null analyser and
    // "対応できない形式です。" for an encrypted or failed one.
    explicit TPDFLumerra(TPDFAnalyst* Analyst);
    ~TPDFLumerra();
    TPDFLumerra(const TPDFLumerra&) = delete;
    TPDFLumerra& operator=(const TPDFLumerra&) = delete;

    // Writes the report of pages First..Last into the file FileName, which
    // is replaced only when the run completes (see TOutputFile): a failed or
    // cancelled run leaves a previous file as it was. A cancelled run sets
    // Cancel.
    void DecodeToFile(const std::string& FileName, int32_t First, int32_t Last, bool WithComments,
                      const TDecodeProgressProc& Progress, bool& Cancel);

    // Writes pages First..Last (counted from 1) into Output. Returns false
    // when the run was cancelled between pages, and then sets Cancel. Each
    // page's records are released once the page is written, so that memory
    // follows one page, not the whole document.
    bool DecodeToStream(TStream& Output, int32_t First, int32_t Last, bool WithComments,
                        const TDecodeProgressProc& Progress, bool& Cancel);

    // The resources of page P (or of its nearest ancestor), with one child
    // per Form XObject reachable from it. The record stays owned by the
    // decoder.
    TPageResource& CollectPageResources(int32_t P);
    // Forgets the records collected so far: a writer of its own calls it
    // after each page, as DecodeToStream does.
    void ReleasePageResources() { FPageResources.Items.clear(); }

    int32_t WriteCommentedPage(int32_t P, TStream& O, int32_t PageNumber);
    int32_t WritePlainPage(int32_t P, TStream& O);
    // Appends the decoded data of stream object N to D and its filter names
    // to F; returns the number of bytes appended.
    int32_t DecodeStreamObject(int32_t N, TStringList& F, TStream& D);
    void GetPageContents(int32_t P, TIDList& L);

    TEscapeKeyQuery EscapeKeyQuery;

    // Threads that decode the streams of the pages ahead of the one being
    // written (each reading the file through its own handle); 1 does all on
    // the calling thread. The report is the same for every count.
    int32_t Threads = 1;

    // Told of each stream whose data was damaged (page counted from 1, the
    // stream object, what happened): the report itself stays as it is.
    std::function<void(int32_t Page, int32_t Object, const TStreamDamage& Damage)> OnDamagedStream;
    // What the last DecodeStreamObject passed over, if anything.
    const TStreamDamage& LastDamage() const { return FLastDamage; }

    // Tokens and entries that collecting Form XObjects may cost over the
    // decoder's whole life (each page has a limit of its own too). Past it,
    // pages get no more form children and the report says so.
    int64_t FormWorkBudget = 100'000'000;

private:
    // Called after page index i is written; true asks the run to stop.
    using TAfterPage = std::function<bool(int32_t i)>;

    int32_t WritePage(int32_t P, const TPageResource& R, TStream& O, int32_t PageNumber, bool WithComments);
    int32_t WritePlainPage(int32_t P, const TPageResource& R, TStream& O);
    // DecodeStreamObject, or the stream decoded ahead when pages are
    // decoded in parallel.
    int32_t DecodeNextStream(int32_t N, TStringList& F, TStream& D);
    // Stream object N as the workers decoded it: its filters appended to F
    // and its damage told. A failing stream's error is raised, after what it
    // decoded is appended to Partial when there is one.
    TPrefetchedStream& TakeDecodedAhead(int32_t N, TStringList& F, TStream* Partial);
    // Page P's content list: read here, or by the workers ahead. Read holds
    // it when it is read here.
    const TIDList& PageContents(int32_t P, TIDList& Read);
    // The run of pages First..Last on this thread, or with Threads threads
    // (ParallelPages.cpp); each returns true when it was cancelled.
    bool WritePagesInTurn(const TIDList& Pages, int32_t First, int32_t Last, bool WithComments, TStream& Output,
                          const TAfterPage& AfterPage);
    bool WritePagesInParallel(const TIDList& Pages, int32_t First, int32_t Last, bool WithComments, TStream& Output,
                              const TAfterPage& AfterPage);

    TPDFAnalyst* FAnalyst;
    TStreamPrefetcher* FAhead = nullptr;  // while pages are decoded in parallel
    TStreamDamage FLastDamage;
    int32_t FCurrentPage = 0;  // the page being written, counted from 1
    TPageResourceList FPageResources;
    // The file does not change while it is read, so no node or form is
    // scanned twice: pages that share ancestors or forms cost them once.
    std::unique_ptr<TScanCache> FScanCache;
    // Extended reading reads pages, resources and streams by key from
    // parsed objects, through the analyser this decoder reads with.
    std::unique_ptr<TObjectReader> FObjects;
    // Each stream is decoded whole here before it is written; the buffer is
    // kept from page to page rather than grown again for every page.
    std::unique_ptr<TSpillStream> FStreamBuffer;
};

}  // namespace lumerra
