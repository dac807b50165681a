#include "common/WriteBehind.h"

#include <fcntl.h>

namespace lumerra {

void TWriteBehind::Written(int64_t Size) {
    while (Size - FStarted >= Window) {
        ::sync_file_range(FHandle, FStarted, Window, SYNC_FILE_RANGE_WRITE);
        if (FStarted >= Window)
            ::sync_file_range(FHandle, FStarted - Window, Window,
                              SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
        FStarted += Window;
    }
}

}  // namespace lumerra
