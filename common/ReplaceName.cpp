#include "common/ReplaceName.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

#include <cerrno>

namespace lumerra {

TNameReplaced ReplaceName(const std::string& From, const std::string& To) {
    TNameReplaced result;
    // O_PATH holds the file without needing read permission on it.
    result.Previous.Reset(::open(To.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat previous {};
    const bool replacesFile =
        result.Previous.Valid() && ::fstat(result.Previous.Get(), &previous) == 0 && S_ISREG(previous.st_mode);
    // Swapping the two names and then removing the old one: ext4 makes a
    // rename over an existing file start the write-back of the whole new
    // file in the renaming process (auto_da_alloc), and an exchange does
    // not. File systems without the exchange get the rename.
    if (replacesFile && ::renameat2(AT_FDCWD, From.c_str(), AT_FDCWD, To.c_str(), RENAME_EXCHANGE) == 0) {
        // We made From and may write its folder; should this still fail,
        // the previous file stays there, hidden.
        ::unlink(From.c_str());
        return result;
    }
    if (::rename(From.c_str(), To.c_str()) != 0) {
        result.Error = errno;
        result.Previous.Reset();
    }
    return result;
}

}  // namespace lumerra
