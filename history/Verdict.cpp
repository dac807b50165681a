#include "history/Verdict.h"

namespace lumerra {

namespace {

TChangeLevel MostAllowed(int32_t DocMdp) {
    switch (DocMdp) {
        case 1: return TChangeLevel::Lta;
        case 2: return TChangeLevel::FormFilling;
        default: return TChangeLevel::Annotations;
    }
}

}  // namespace

TVerdict Judge(const TRevisionLevel& Level, const TPermissionsInForce& Permissions) {
    if (Level.LockedFieldChanged) return TVerdict::NotAllowed;
    if (!Permissions.DocMdp) return TVerdict::NoPermissionDeclared;
    return Level.Level <= MostAllowed(*Permissions.DocMdp) ? TVerdict::Allowed : TVerdict::NotAllowed;
}

}  // namespace lumerra
