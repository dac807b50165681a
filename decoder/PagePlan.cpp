#include "decoder/PagePlan.h"

namespace lumerra {

TPagePlan PlanPage(TPageReader& Reader, int32_t Number, int32_t Object) {
    TPagePlan plan;
    plan.Number = Number;
    plan.Object = Object;
    plan.InPlace = Reader.InPlace(Object);
    plan.Resources = std::make_unique<TPageResource>();
    try {
        Reader.CollectResources(Object, *plan.Resources);
    } catch (...) {
        plan.Error = std::current_exception();
        return plan;
    }
    const TPageResource& R = *plan.Resources;
    for (int32_t i = 0; i < R.ChildCount(); ++i) plan.Streams.push_back({R.GetChild(i).ObjectNumber, i, -1});
    try {
        Reader.Contents(Object, plan.Contents);
    } catch (...) {
        plan.ContentsError = std::current_exception();
        return plan;
    }
    for (size_t j = 0; j < plan.Contents.size(); ++j)
        plan.Streams.push_back({plan.Contents[j], -1, static_cast<int32_t>(j)});
    return plan;
}

}  // namespace lumerra
