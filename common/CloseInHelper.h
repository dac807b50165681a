// Dropping a descriptor in a short-lived helper process rather than here.
// The last close of a file that has lost its name frees all of its space:
// tens of milliseconds for a large report on a busy machine, which a
// process that ends right after (and whoever waits for it) need not wait
// for. The helper is /bin/true holding only that descriptor; it is reaped
// by a thread of this process, or by init once this process has ended.
#pragma once

#include "common/UniqueFd.h"

namespace lumerra {

// Closes File here instead when no helper can be started.
void CloseInHelper(UniqueFd File);

}  // namespace lumerra
