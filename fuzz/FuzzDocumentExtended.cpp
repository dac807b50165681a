// Whole-file target in the extended reading (see DocumentRun.h). A file
// loads, or is refused with a message. A wrong password changes nothing: a
// file that opens with the empty password opens the same, and one that does
// not is refused with a message either way. The seeds of every security
// handler open with the empty user password, or with SeedPassword.
#include "fuzz/DocumentRun.h"
#include "pdf/ExtendedAnalyst.h"
#include "pdf/SecurityHandler.h"

using namespace lumerra;

namespace {

const char* const SeedPassword = "fuzz";
const char* const WrongPassword = "not the password";

// How extended reading with Password ends: the encryption and the password
// that opened it, "plain", "refused: <message>" by the security handler, or
// "failed" for any other load error.
std::string Outcome(const uint8_t* Data, size_t Size, const std::optional<std::string>& Password) {
    TExtendedAnalyst analyst;
    analyst.SetPassword(Password);
    try {
        analyst.LoadFromStream(fuzz::MemoryOf(Data, Size), "fuzz.pdf");
    } catch (const ESecurityError& e) {
        fuzz::Require(!e.Message().empty(), "a refused encryption says why");
        return "refused: " + e.Detailed();
    } catch (const Exception& e) {
        fuzz::Require(!e.Message().empty(), "a load error carries a message");
        return "failed";
    }
    const TSecurityHandler* security = analyst.Security();
    if (security == nullptr) return "plain";
    fuzz::Require(analyst.Encrypted(), "only an encrypted file has a security handler");
    return security->Description() + ", password " + std::to_string(static_cast<int>(security->Password()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    // Extended reading need not load every file the default reading loads:
    // where the bytes are damaged, the default reading's scanning may read
    // structure that ISO 32000 does not (docs/extended-reading.md).
    const std::string outcome = Outcome(Data, Size, std::nullopt);
    fuzz::Require(Outcome(Data, Size, WrongPassword) == outcome, "a wrong password changes nothing");
    return fuzz::RunDocument(Data, Size, true, SeedPassword);
}
