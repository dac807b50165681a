// The reason a system call failed, always in English: the command line
// follows the user's locale for its own messages, and these reasons stay
// what they have always been in every locale.
#pragma once

#include <locale.h>

#include <cstring>
#include <string>

namespace lumerra {

inline std::string SystemErrorText(int Error) {
    // Made once and kept: a locale object is immutable and shared by threads.
    static const locale_t Posix = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return Posix != static_cast<locale_t>(nullptr) ? ::strerror_l(Error, Posix) : std::strerror(Error);
}

}  // namespace lumerra
