#include "shell/DocumentLoad.h"

#include "pdf/ExtendedAnalyst.h"
#include "pdf/PDFAnalyst.h"
#include "pdf/SecurityHandler.h"

namespace lumerra {

namespace {

using TOutcome = TLoadResult::TOutcome;

// The load itself; a wrong password asks again until the attempts run out,
// and the last refusal then stands.
TLoadResult LoadWithPasswords(TPDFAnalyst& Analyst, const std::string& FileName, const TPasswordQuery& AskPassword) {
    for (int attempt = 0;; ++attempt) {
        try {
            Analyst.LoadFromFile(FileName);
            return {};
        } catch (const EWrongPassword&) {
            if (attempt == PasswordAttempts) throw;
            const std::optional<QString> password = AskPassword(attempt + 1);
            if (!password) return {TOutcome::PasswordNotGiven, {}, false};
            Analyst.SetPassword(password->toStdString());
        }
    }
}

}  // namespace

TLoadResult LoadDocument(TPDFAnalyst& Analyst, const std::string& FileName, const TPasswordQuery& AskPassword) {
    TLoadResult result;
    try {
        result = LoadWithPasswords(Analyst, FileName, AskPassword);
    } catch (const EWrongPassword& e) {
        return {TOutcome::SecurityRefused, e.Detailed(), false, true};
    } catch (const ESecurityError& e) {
        return {TOutcome::SecurityRefused, e.Detailed(), false};
    } catch (const Exception&) {
        // Whatever was wrong with the file, the user is told the same.
        result.Outcome = TOutcome::Damaged;
    }
    if (result.Outcome == TOutcome::Loaded && Analyst.Encrypted() && Analyst.Security() == nullptr)
        result.Outcome = TOutcome::EncryptedRefused;
    if (result.Outcome != TOutcome::Loaded && result.Outcome != TOutcome::PasswordNotGiven &&
        Analyst.Reading() != TReading::Extended)
        result.ExtendedReadingOpens = ExtendedReadingOpens(FileName);
    return result;
}

bool ExtendedReadingOpens(const std::string& FileName) {
    try {
        TExtendedAnalyst analyst;
        analyst.LoadFromFile(FileName);
        return true;
    } catch (const EWrongPassword&) {
        return true;
    } catch (const Exception&) {
        return false;
    }
}

}  // namespace lumerra
