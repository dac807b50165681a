// Where the password of an encrypted file comes from. --password shows it to
// every user of the machine (ps, shell history); --password-file and the
// environment variable LUMERRA_PASSWORD do not.
#pragma once

#include <optional>
#include <string>

#include "common/Exceptions.h"

namespace lumerra::cli {

// The environment variable read when neither option gives a password.
inline constexpr const char* PasswordVariable = "LUMERRA_PASSWORD";

struct TPasswordSource {
    std::optional<std::string> Password;  // --password PW
    std::optional<std::string> File;      // --password-file FILE, "-" for standard input
};

// The password file cannot be read; Exception's context holds the reason.
class EPasswordFileError : public Exception {
public:
    using Exception::Exception;
};

// The password: --password, or the first line of --password-file without its
// line end ("\n" or "\r\n"), or else Environment (the value of
// LUMERRA_PASSWORD, null when unset); none when none of them gives one.
// Raises EPasswordFileError.
std::optional<std::string> ResolvePassword(const TPasswordSource& Source, const char* Environment);

}  // namespace lumerra::cli
