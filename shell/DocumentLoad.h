// Loading the document the main window opens: the empty password first,
// then the user's, asked again after a wrong one; and, for a file the
// default reading refused, whether extended reading would take it in.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include <QString>

namespace lumerra {

class TPDFAnalyst;

// How often the user is asked for the password of one file.
inline constexpr int PasswordAttempts = 3;

// Asks for the password on the given attempt (1 to PasswordAttempts);
// nothing when the user gave up.
using TPasswordQuery = std::function<std::optional<QString>(int Attempt)>;

struct TLoadResult {
    enum class TOutcome {
        Loaded,
        Damaged,           // the file, as this reading sees it, cannot be taken in
        EncryptedRefused,  // the default reading does not decrypt
        SecurityRefused,   // wrong password, unknown handler, ...: Message says which
        PasswordNotGiven,  // the user cancelled the password dialog
    };
    TOutcome Outcome = TOutcome::Loaded;
    std::string Message;
    // Damaged or EncryptedRefused under the default reading, and extended
    // reading would open the file.
    bool ExtendedReadingOpens = false;
    // SecurityRefused because every password the user gave was wrong.
    bool PasswordsUsedUp = false;
};

// Loads FileName into Analyst, whose reading mode is set. Errors other than
// the document's own (memory running out) pass on.
TLoadResult LoadDocument(TPDFAnalyst& Analyst, const std::string& FileName, const TPasswordQuery& AskPassword);

// True when extended reading loads FileName, or would with a password.
bool ExtendedReadingOpens(const std::string& FileName);

}  // namespace lumerra
