#include "cli/PasswordSource.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/SystemError.h"
#include "common/UniqueFd.h"

namespace lumerra::cli {

namespace {

// No password is this long; a file without line ends (or /dev/zero) stops
// here instead of filling the memory.
constexpr size_t MaximumLine = 64 * 1024;

std::string FirstLine(int Fd) {
    std::string line;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(Fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw EPasswordFileError(TMessageCode::PasswordFileUnreadable, SystemErrorText(errno));
        if (n == 0) break;
        line.append(buffer, static_cast<size_t>(n));
        if (const size_t end = line.find('\n'); end != std::string::npos) {
            line.resize(end);
            break;
        }
        if (line.size() > MaximumLine) throw EPasswordFileError(TMessageCode::PasswordFileUnreadable, "first line too long");
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

}  // namespace

std::optional<std::string> ResolvePassword(const TPasswordSource& Source, const char* Environment) {
    if (Source.Password) return Source.Password;
    if (Source.File) {
        if (*Source.File == "-") return FirstLine(STDIN_FILENO);
        const UniqueFd file(::open(Source.File->c_str(), O_RDONLY | O_CLOEXEC));
        if (!file.Valid()) throw EPasswordFileError(TMessageCode::PasswordFileUnreadable, SystemErrorText(errno));
        return FirstLine(file.Get());
    }
    if (Environment != nullptr) return std::string(Environment);
    return std::nullopt;
}

}  // namespace lumerra::cli
