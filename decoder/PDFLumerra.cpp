#include "decoder/PDFLumerra.h"

#include "common/OutputFile.h"
#include "decoder/TextReportSink.h"
#include "pdf/ObjectReader.h"

namespace lumerra {

namespace {

TPDFAnalyst& Checked(TPDFAnalyst* Analyst) {
    if (Analyst == nullptr) throw Exception(TMessageCode::NoAnalyst);
    // Extended reading decrypts what it could open; nothing else reads encrypted files.
    if ((Analyst->Encrypted() && Analyst->Security() == nullptr) || Analyst->Failed()) throw Exception(TMessageCode::UnusableDocument);
    return *Analyst;
}

}  // namespace

TPDFLumerra::TPDFLumerra(TPDFAnalyst* Analyst) : FAnalyst(&Checked(Analyst)) {
    FObjects = Analyst->ObjectModel();
    // The reading is chosen here, once: by key where it has an object model.
    FPages = NewPageReader(*Analyst, FObjects.get());
    FStreams = NewStreamDecoder(*Analyst, FObjects.get());
}

TPDFLumerra::~TPDFLumerra() = default;

TPageReader& TPDFLumerra::Pages() {
    FPages->FormWorkBudget = FormWorkBudget;
    return *FPages;
}

TRunLoop TPDFLumerra::Loop(const TDecodeProgressProc& Progress) {
    return TRunLoop(*FAnalyst, Pages(), *FStreams, {Threads, Progress, EscapeKeyQuery, OnDamagedStream});
}

TPageResource& TPDFLumerra::CollectPageResources(int32_t P) {
    TPageResource& R = FPageResources.Add();
    Pages().CollectResources(P, R);
    return R;
}

void TPDFLumerra::GetPageContents(int32_t P, TIDList& L) { Pages().Contents(P, L); }

bool TPDFLumerra::Run(TReportSink& Sink, int32_t First, int32_t Last, const TDecodeProgressProc& Progress,
                      bool& Cancel) {
    return Loop(Progress).Run(Sink, First, Last, Cancel);
}

bool TPDFLumerra::DecodeToStream(TStream& Output, int32_t First, int32_t Last, bool WithComments,
                                 const TDecodeProgressProc& Progress, bool& Cancel) {
    return Run(*TextReportSink(Output, WithComments, FAnalyst->PageCount()), First, Last, Progress, Cancel);
}

void TPDFLumerra::DecodeToFile(const std::string& FileName, int32_t First, int32_t Last, bool WithComments,
                               const TDecodeProgressProc& Progress, bool& Cancel) {
    TOutputFile output(FileName, FAnalyst->Stream());
    if (DecodeToStream(output.Stream(), First, Last, WithComments, Progress, Cancel)) output.Commit();
}

}  // namespace lumerra
