// Whether what a revision changed was allowed by the permissions in force.
#pragma once

#include <cstdint>
#include <optional>

#include "history/ChangeLevel.h"

namespace lumerra {

enum class TVerdict : uint8_t { Allowed, NotAllowed, NoPermissionDeclared };

struct TPermissionsInForce {
    std::optional<int32_t> DocMdp;  // the strictest level; none without a certification
};

// DocMDP 1 allows nothing, 2 up to filling in the form, 3 up to
// annotations; bookkeeping is always allowed, a locked field's change never.
// Without a level in force, nothing but a locked field is judged.
TVerdict Judge(const TRevisionLevel& Level, const TPermissionsInForce& Permissions);

}  // namespace lumerra
