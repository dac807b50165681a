#include "pdf/SaslPrep.h"

#include <stringprep.h>

#include <cstdlib>
#include <memory>

namespace lumerra {

std::optional<std::string> SaslPrep(const std::string& Password) {
    // libidn reads a C string: an embedded NUL would cut the password short.
    if (Password.find('\0') != std::string::npos) return std::nullopt;
    char* prepared = nullptr;
    // Unassigned code points are allowed: opening a file is a query, not
    // the storing of a new password.
    const int result = stringprep_profile(Password.c_str(), &prepared, "SASLprep", Stringprep_profile_flags{});
    const std::unique_ptr<char, decltype(&std::free)> owner(prepared, &std::free);
    if (result != STRINGPREP_OK || prepared == nullptr) return std::nullopt;
    return std::string(prepared);
}

}  // namespace lumerra
