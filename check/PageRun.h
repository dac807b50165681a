// The check of a range of pages on several threads. Each thread checks whole
// pages through a reader of its own (TPDFAnalyst::Reader), so no read
// position or cache is shared; the findings are handed on in page order, on
// the calling thread, so that they are the same for every thread count.
// The calling thread checks too: rather than wait for a page a worker has
// in hand, it checks the next page no one has taken.
#pragma once

#include <cstdint>
#include <functional>

#include "check/PageCheck.h"

namespace lumerra::check {

// CheckPages on Threads threads (the calling one included); one, or a
// document that gives no second reader, checks all on the calling thread.
// OnPage, KeepGoing and OnStreamFault are called on the calling thread only,
// in page order.
bool CheckPagesOnThreads(TObjectReader& Reader, const lumerra::TIDList& Pages, int32_t First, int32_t Last,
                         int32_t Threads, const std::function<void(const TPageFindings&)>& OnPage,
                         const std::function<bool(int32_t Done)>& KeepGoing = nullptr,
                         const TStreamFaultProc& OnStreamFault = nullptr);

}  // namespace lumerra::check
