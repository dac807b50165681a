// Dropping a descriptor in a short-lived helper process rather than here.
// The last close of a file that has lost its name frees all of its space:
// tens of milliseconds for a large report on a busy machine, which a
// process that ends right after (and whoever waits for it) need not wait
// for. The helper is /bin/cat holding that descriptor and reading a pipe
// from this process, which is closed only after this process's own copy of
// the descriptor: the helper's is always the last. A thread of this process
// reaps the helper, or init does once this process has ended.
#pragma once

#include "common/UniqueFd.h"

namespace lumerra {

// Closes File here instead when no helper can be started.
void CloseInHelper(UniqueFd File);

}  // namespace lumerra
