// The command line's sentences in the user's language: the English text of
// each message code, translated through gettext (domain "lumerra"). Under a
// Japanese locale the catalogue gives the texts the program has always
// printed; under any other, English.
#pragma once

#include <exception>
#include <string>
#include <string_view>

#include "common/Message.h"

namespace lumerra::cli {

inline constexpr const char* TextDomain = "lumerra";

// Makes the messages follow the user's locale (LC_ALL, LC_MESSAGES, LANG,
// LANGUAGE). The catalogue is looked for beside the program first
// (bin/../share/locale: the build tree and a relocated install), then where
// the package installs it.
void UseUserLocale();

// The English sentence of Code with its parameters as {1}, {2}, ...: the
// catalogue's msgid.
std::string_view EnglishTemplate(TMessageCode Code);

// Message in the user's language.
std::string Sentence(const TMessage& Message);

// What an error says in the user's language: a coded error's sentence,
// otherwise its text as it is.
std::string ErrorSentence(const std::exception& Error);
// Its code for scripts ("xref-offset-invalid"); "error" when it has none.
std::string_view ErrorCode(const std::exception& Error);

}  // namespace lumerra::cli
