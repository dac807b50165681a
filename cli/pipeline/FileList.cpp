#include "cli/pipeline/FileList.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "common/Exceptions.h"
#include "common/SystemError.h"
#include "common/UniqueFd.h"

namespace lumerra::cli::pipeline {

std::vector<std::string> SplitFileList(std::string_view List, char Separator) {
    std::vector<std::string> paths;
    while (!List.empty()) {
        const size_t end = List.find(Separator);
        const std::string_view path = List.substr(0, end);
        if (!path.empty()) paths.emplace_back(path);
        if (end == std::string_view::npos) break;
        List.remove_prefix(end + 1);
    }
    return paths;
}

std::string ReadListSource(const std::string& Source) {
    UniqueFd owned;
    int fd = STDIN_FILENO;
    if (Source != "-") {
        owned.Reset(::open(Source.c_str(), O_RDONLY | O_CLOEXEC));
        if (!owned.Valid()) throw Exception(MakeMessage(TMessageCode::CannotOpenFile, Source, SystemErrorText(errno)));
        fd = owned.Get();
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            throw Exception(TMessageCode::ReadError, Source + ": " + SystemErrorText(errno));
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
    return bytes;
}

}  // namespace lumerra::cli::pipeline
