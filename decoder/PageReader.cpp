#include "decoder/PageReader.h"

#include "decoder/ModelResources.h"
#include "model/PageObjects.h"
#include "pdf/ObjectScanner.h"

namespace lumerra {

void TPageReader::CollectResources(int32_t P, TPageResource& R) {
    TPositionKeeper keeper(*FAnalyst.Stream());
    if (FObjects != nullptr) {
        CollectModelResources(*FObjects, P, R);
        return;
    }
    CollectScannedResources(FAnalyst, FScanCache, P, R, FormWorkBudget - FScanCache.FormWorkDone);
}

void TPageReader::Contents(int32_t P, TIDList& L) {
    TPositionKeeper keeper(*FAnalyst.Stream());
    if (FObjects != nullptr) {
        const TIDList streams = PageContentStreams(*FObjects, P);
        L.insert(L.end(), streams.begin(), streams.end());
        return;
    }
    TObjectScanner scan = TObjectScanner::OpenObject(FAnalyst, P, PageKeyScan);
    scan.Run([&](const TToken& token) {
        if (!token.Is("/Contents")) return TScanAction::Default;
        FAnalyst.ReadIDList(scan.Stream(), L);
        return TScanAction::Stop;
    });
}

}  // namespace lumerra
