#include "cli/pipeline/ResumeLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include <nlohmann/json.hpp>

#include "common/Exceptions.h"
#include "common/SystemError.h"

namespace lumerra::cli::pipeline {

TRecorded ReadRecorded(std::string_view Log) {
    TRecorded recorded;
    size_t start = 0;
    for (size_t end = Log.find('\n'); end != std::string_view::npos; end = Log.find('\n', start)) {
        const nlohmann::json record = nlohmann::json::parse(Log.substr(start, end - start), nullptr, false);
        if (record.is_object()) {
            const auto file = record.find("file");
            if (file != record.end() && file->is_string()) recorded.Files.insert(file->get<std::string>());
        }
        start = end + 1;
        recorded.WholeBytes = start;
    }
    return recorded;
}

UniqueFd OpenResumeLog(const std::string& Path, TRecorded& Recorded) {
    const auto fail = [&Path] {
        throw Exception(MakeMessage(TMessageCode::CannotOpenFile, Path, SystemErrorText(errno)));
    };
    UniqueFd log(::open(Path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (!log.Valid()) fail();
    std::string bytes;
    char buffer[65536];
    for (ssize_t n; (n = ::read(log.Get(), buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) fail();
        bytes.append(buffer, static_cast<size_t>(n));
    }
    Recorded = ReadRecorded(bytes);
    if (Recorded.WholeBytes < bytes.size() && ::ftruncate(log.Get(), static_cast<off_t>(Recorded.WholeBytes)) != 0)
        fail();
    // Every record is then one write at the end, whoever else appends.
    if (::lseek(log.Get(), 0, SEEK_END) < 0 || ::fcntl(log.Get(), F_SETFL, O_APPEND) != 0) fail();
    return log;
}

}  // namespace lumerra::cli::pipeline
