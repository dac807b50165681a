// The standard security handler of ISO 32000-2 (7.6.4): the encryption
// dictionary, the file key from a password, and the key of each object.
// Revisions 2 to 6: RC4 of 40 to 128 bits, AES-128 through crypt filters,
// AES-256.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/Exceptions.h"
#include "filters/Crypto.h"
#include "syntax/Value.h"

namespace lumerra {

// A refusal by the security handler: wrong password, a handler this program
// does not have, a damaged encryption dictionary. It ends the load: no table
// rebuild can help.
class ESecurityError : public Exception {
public:
    using Exception::Exception;
};

// Neither the empty password nor the one given opens the file: another
// password may.
class EWrongPassword : public ESecurityError {
public:
    EWrongPassword() : ESecurityError(TMessageCode::WrongPassword) {}
};

enum class TCryptMethod : uint8_t { None, Rc4, Aes128, Aes256 };

// Which password opened the file.
enum class TPasswordKind : uint8_t { Empty, User, Owner };

class TSecurityHandler {
public:
    // Reads Encrypt (the encryption dictionary) and opens it with the empty
    // password as the user's and as the owner's, then with Password the same
    // way.
    // FileId is the first string of the trailer's /ID. Raises ESecurityError.
    static std::unique_ptr<TSecurityHandler> Open(const TValue& Encrypt, const std::string& FileId,
                                                  const std::optional<std::string>& Password);

    // The stream data of object Number, generation Generation, decrypted by
    // the crypt filter CryptFilter ("" for the stream default, /StmF).
    TBytes DecryptStream(int32_t Number, int32_t Generation, std::span<const uint8_t> Data,
                         const std::string& CryptFilter = {}) const;
    // A string of object Number, generation Generation, decrypted by the
    // string filter (/StrF; RC4 before version 4).
    TBytes DecryptString(int32_t Number, int32_t Generation, std::span<const uint8_t> Data) const;
    // The method a crypt filter name stands for ("" for /StmF).
    TCryptMethod StreamMethod(const std::string& CryptFilter = {}) const;

    // "RC4-40 (R2)", "AES-128 (R4)", "AES-256 (R6)" and so on.
    std::string Description() const;
    TPasswordKind Password() const { return FPassword; }
    // AES-256: none when /Perms, decrypted with the file key, confirms /P and
    // /EncryptMetadata; otherwise the warning to tell (the values may have
    // been altered). Always none for the older revisions, which have no /Perms.
    std::optional<TMessageCode> PermsWarning() const;
    bool EncryptMetadata() const { return FEncryptMetadata; }

private:
    TSecurityHandler() = default;
    void Read(const TValue& Encrypt, const std::string& FileId);
    bool TryUser(const std::string& Password);
    bool TryOwner(const std::string& Password);
    bool TryAes256User(const std::string& Password);
    bool TryAes256Owner(const std::string& Password);
    // Algorithm 2: the file key of revisions 2 to 4 from a (user) password.
    TBytes LegacyKey(const std::string& Password) const;
    // Algorithm 2.B (and revision 5's plain SHA-256).
    TBytes Hash(const std::string& Password, std::span<const uint8_t> Salt, std::span<const uint8_t> UserKey) const;

    int FVersion = 0;
    int FRevision = 0;
    int FKeyBytes = 5;
    TBytes FOwner, FUser, FOwnerKey, FUserKey, FPerms;
    uint32_t FPermissions = 0;
    bool FEncryptMetadata = true;
    std::string FFileId;
    TCryptMethod FStreamMethod = TCryptMethod::Rc4;
    std::string FStringFilter;  // "" (the stream default) before version 4
    std::vector<std::pair<std::string, TCryptMethod>> FCryptFilters;
    TBytes FKey;
    TPasswordKind FPassword = TPasswordKind::Empty;
};

}  // namespace lumerra
