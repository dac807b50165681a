#include "pdf/LateRepair.h"

#include "pdf/Repair.h"

namespace lumerra {

int64_t TLateRepair::Relocate(TStream& File, const TMisplacedObject& What) {
    std::call_once(FScanned, [&] {
        const int64_t position = File.Position();
        FObjects = ScanForObjects(File).Objects;
        File.SetPosition(position);
    });
    {
        // Each object once, whichever reader met it first.
        const std::lock_guard<std::mutex> lock(FMutex);
        bool told = false;
        for (const TMisplacedObject& misplaced : FMisplaced) told = told || misplaced.Number == What.Number;
        if (!told) FMisplaced.push_back(What);
    }
    const auto found = FObjects.find(What.Number);
    return found != FObjects.end() ? found->second : -1;
}

std::vector<TMisplacedObject> TLateRepair::Misplaced() const {
    const std::lock_guard<std::mutex> lock(FMutex);
    return FMisplaced;
}

}  // namespace lumerra
