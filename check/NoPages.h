// Why a document gave no page to check: its catalog cannot be read, it has
// no page tree, or the tree holds no page the page list could take.
#pragma once

#include "common/Message.h"
#include "pdf/ObjectReader.h"

namespace lumerra::check {

TMessage NoPagesReason(TObjectReader& Reader);

}  // namespace lumerra::check
