#include "decoder/PageReader.h"

#include "decoder/ModelResources.h"
#include "decoder/ResourceCollector.h"
#include "model/PageObjects.h"
#include "pdf/ObjectScanner.h"

namespace lumerra {

namespace {

// The default reading: the objects' tokens, scanned.
class TScannedPageReader final : public TPageReader {
public:
    explicit TScannedPageReader(TPDFAnalyst& Analyst) : TPageReader(Analyst) {}

private:
    void ReadResources(int32_t P, TPageResource& R) override {
        CollectScannedResources(FAnalyst, FScanCache, P, R, FormWorkBudget - FScanCache.FormWorkDone);
    }
    void ReadContents(int32_t P, TIDList& L) override {
        TObjectScanner scan = TObjectScanner::OpenObject(FAnalyst, P, PageKeyScan);
        scan.Run([&](const TToken& token) {
            if (!token.Is("/Contents")) return TScanAction::Default;
            FAnalyst.ReadIDList(scan.Stream(), L);
            return TScanAction::Stop;
        });
    }

    // The file does not change while it is read, so no node or form is
    // scanned twice: pages that share ancestors or forms cost them once.
    TScanCache FScanCache;
};

// Extended reading: the objects parsed, read by key.
class TModelPageReader final : public TPageReader {
public:
    TModelPageReader(TPDFAnalyst& Analyst, TObjectReader& Objects) : TPageReader(Analyst), FObjects(Objects) {}

private:
    void ReadResources(int32_t P, TPageResource& R) override { CollectModelResources(FObjects, P, R); }
    void ReadContents(int32_t P, TIDList& L) override {
        const TIDList streams = PageContentStreams(FObjects, P);
        L.insert(L.end(), streams.begin(), streams.end());
    }

    TObjectReader& FObjects;
};

}  // namespace

void TPageReader::CollectResources(int32_t P, TPageResource& R) {
    TPositionKeeper keeper(*FAnalyst.Stream());
    ReadResources(P, R);
}

void TPageReader::Contents(int32_t P, TIDList& L) {
    TPositionKeeper keeper(*FAnalyst.Stream());
    ReadContents(P, L);
}

std::unique_ptr<TPageReader> NewPageReader(TPDFAnalyst& Analyst, TObjectReader* Objects) {
    if (Objects != nullptr) return std::make_unique<TModelPageReader>(Analyst, *Objects);
    return std::make_unique<TScannedPageReader>(Analyst);
}

}  // namespace lumerra
