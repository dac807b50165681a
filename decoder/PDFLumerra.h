// TPDFLumerra: the content decoder of one document. Collects the resources
// of each page and of the Form XObjects it can draw, decodes their streams
// and writes the report, through one run loop whatever the report's format.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/Stream.h"
#include "common/StrUtils.h"
#include "decoder/PDFResource.h"
#include "decoder/PageReader.h"
#include "decoder/ReportSink.h"
#include "decoder/RunLoop.h"
#include "decoder/StreamDecoder.h"
#include "pdf/PDFAnalyst.h"
#include "pdf/StreamData.h"

namespace lumerra {

class TObjectReader;

class TPDFLumerra {
public:
    // Last for "to the last page the page list gives".
    static constexpr int32_t ToLastPage = TRunLoop::ToLastPage;

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

    // Writes the text report of pages First..Last (counted from 1) into
    // Output. Returns false when the run was cancelled between pages, and
    // then sets Cancel. Each page's records are released once the page is
    // written, so that memory follows the pages being decoded, not the
    // whole document.
    bool DecodeToStream(TStream& Output, int32_t First, int32_t Last, bool WithComments,
                        const TDecodeProgressProc& Progress, bool& Cancel);
    // The same run into any report sink.
    bool Run(TReportSink& Sink, int32_t First, int32_t Last, const TDecodeProgressProc& Progress, bool& Cancel);

    // The resources of page P (or of its nearest ancestor), with one child
    // per Form XObject reachable from it. The record stays owned by the
    // decoder until ReleasePageResources.
    TPageResource& CollectPageResources(int32_t P);
    void ReleasePageResources() { FPageResources.Items.clear(); }

    void GetPageContents(int32_t P, TIDList& L);

    TEscapeKeyQuery EscapeKeyQuery;
    // Threads of a run (TRunOptions::Threads).
    int32_t Threads = 1;
    TDamagedStreamProc OnDamagedStream;

    // Tokens and entries that collecting Form XObjects may cost over the
    // decoder's whole life (each page has a limit of its own too). Past it,
    // pages get no more form children and the report says so.
    int64_t FormWorkBudget = 100'000'000;

private:
    TRunLoop Loop(const TDecodeProgressProc& Progress);
    TPageReader& Pages();

    TPDFAnalyst* FAnalyst;
    // Extended reading reads pages, resources and streams by key from
    // parsed objects, through the analyser this decoder reads with.
    std::unique_ptr<TObjectReader> FObjects;
    std::unique_ptr<TPageReader> FPages;
    std::unique_ptr<TStreamDecoder> FStreams;
    TPageResourceList FPageResources;
};

}  // namespace lumerra
