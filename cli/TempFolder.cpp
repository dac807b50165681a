#include "cli/TempFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "common/Exceptions.h"

namespace lumerra::cli {

TTempFolder::TTempFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/lumerra-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        throw EFCreateError("Cannot create a temporary folder in \"" + pattern + "\". " + std::strerror(errno));
    FFolder = pattern;
}

TTempFolder::~TTempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(FFolder, ignored);
}

}  // namespace lumerra::cli
