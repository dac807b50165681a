#include "pdf/DefaultAnalyst.h"
#include "pdf/ExtendedAnalyst.h"

namespace lumerra {

std::unique_ptr<TPDFAnalyst> NewAnalyst(TReading Reading) {
    if (Reading == TReading::Extended) return std::make_unique<TExtendedAnalyst>();
    return std::make_unique<TDefaultAnalyst>();
}

}  // namespace lumerra
