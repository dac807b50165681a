#include "pdf/SecurityHandler.h"

#include <algorithm>
#include <array>

#include "pdf/SaslPrep.h"

#include "syntax/Tokenizer.h"

namespace lumerra {

namespace {

// Algorithm 2, step a: what short passwords are padded with.
constexpr std::array<uint8_t, 32> Padding = {0x28, 0xBF, 0x4E, 0x5E, 0x4E, 0x75, 0x8A, 0x41, 0x64, 0x00, 0x4E,
                                             0x56, 0xFF, 0xFA, 0x01, 0x08, 0x2E, 0x2E, 0x00, 0xB6, 0xD0, 0x68,
                                             0x3E, 0x80, 0x2F, 0x0C, 0xA9, 0xFE, 0x64, 0x53, 0x69, 0x7A};

// The AES-256 password loop is costly; a malicious salt cannot make it
// longer than this many rounds.
constexpr int MaximumHashRounds = 64 + 256;

std::span<const uint8_t> Bytes(const std::string& Text) {
    return {reinterpret_cast<const uint8_t*>(Text.data()), Text.size()};
}
void Append(TBytes& To, std::span<const uint8_t> Data) { To.insert(To.end(), Data.begin(), Data.end()); }

TBytes Padded(const std::string& Password) {
    TBytes padded(Password.begin(),
                  Password.begin() + static_cast<std::ptrdiff_t>(std::min<size_t>(Password.size(), 32)));
    padded.insert(padded.end(), Padding.begin(), Padding.begin() + static_cast<std::ptrdiff_t>(32 - padded.size()));
    return padded;
}

// RC4 with Key XOR i for i = From, ..., To (algorithms 5 and 7).
TBytes Rc4Rounds(const TBytes& Key, TBytes Data, int From, int To) {
    const int step = From <= To ? 1 : -1;
    for (int i = From;; i += step) {
        TBytes key = Key;
        for (uint8_t& b : key) b ^= static_cast<uint8_t>(i);
        Data = Rc4(key, Data);
        if (i == To) break;
    }
    return Data;
}

// An AES-256 password as the file may have been written with it, each cut
// to 127 bytes: its SASLprep form first, then its bytes as given when they
// differ, for writers that skip SASLprep and for passwords it rejects.
std::vector<std::string> Aes256Passwords(const std::string& Password) {
    std::vector<std::string> forms;
    if (const std::optional<std::string> prepared = SaslPrep(Password)) forms.push_back(prepared->substr(0, 127));
    std::string given = Password.substr(0, 127);
    if (forms.empty() || forms.front() != given) forms.push_back(std::move(given));
    return forms;
}

// A name with its slash, as crypt filters are named elsewhere; a string's bytes.
std::string Text(const TValue* Value) {
    if (Value == nullptr) return {};
    return Value->Is(TValue::TKind::Name) ? NormalName(Value->Text()) : Value->Text();
}
int64_t RequireNumber(const TValue* Value) {
    if (Value == nullptr || !Value->IsNumber()) throw ESecurityError(TMessageCode::EncryptionDamaged, "encryption dictionary");
    return Value->AsInteger();
}
TBytes StringBytes(const TValue* Value) {
    if (Value == nullptr || !Value->Is(TValue::TKind::String))
        throw ESecurityError(TMessageCode::EncryptionDamaged, "encryption dictionary");
    return TBytes(Value->Text().begin(), Value->Text().end());
}

TCryptMethod MethodOf(const std::string& Name) {
    if (Name == "/V2") return TCryptMethod::Rc4;
    if (Name == "/AESV2") return TCryptMethod::Aes128;
    if (Name == "/AESV3") return TCryptMethod::Aes256;
    if (Name == "/None" || Name.empty()) return TCryptMethod::None;
    throw ESecurityError(TMessageCode::UnsupportedMethod, "crypt filter " + Name);
}

}  // namespace

std::unique_ptr<TSecurityHandler> TSecurityHandler::Open(const TValue& Encrypt, const std::string& FileId,
                                                         const std::optional<std::string>& Password) {
    std::unique_ptr<TSecurityHandler> handler(new TSecurityHandler());
    handler->Read(Encrypt, FileId);
    // The empty password first, as the user's and as the owner's, then the
    // given one the same way: a wrong password never refuses a file that
    // opens without one.
    const bool given = Password && !Password->empty();
    if (handler->TryUser("")) {
        handler->FPassword = TPasswordKind::Empty;
    } else if (handler->TryOwner("")) {
        handler->FPassword = TPasswordKind::Owner;
    } else if (given && handler->TryUser(*Password)) {
        handler->FPassword = TPasswordKind::User;
    } else if (given && handler->TryOwner(*Password)) {
        handler->FPassword = TPasswordKind::Owner;
    } else {
        throw EWrongPassword();
    }
    return handler;
}

void TSecurityHandler::Read(const TValue& Encrypt, const std::string& FileId) {
    if (!Encrypt.IsDictionary()) throw ESecurityError(TMessageCode::EncryptionDamaged, "encryption dictionary");
    const std::string filter = Text(Encrypt.Find("Filter"));
    if (filter != "/Standard") throw ESecurityError(TMessageCode::UnsupportedHandler, filter.empty() ? "no /Filter" : filter);
    FVersion = static_cast<int>(RequireNumber(Encrypt.Find("V")));
    FRevision = static_cast<int>(RequireNumber(Encrypt.Find("R")));
    const std::string method = "V " + std::to_string(FVersion) + ", R " + std::to_string(FRevision);
    const bool known = (FVersion == 1 && FRevision == 2) || (FVersion == 2 && (FRevision == 2 || FRevision == 3)) ||
                       (FVersion == 4 && FRevision == 4) || (FVersion == 5 && (FRevision == 5 || FRevision == 6));
    if (!known) throw ESecurityError(TMessageCode::UnsupportedMethod, method);
    FOwner = StringBytes(Encrypt.Find("O"));
    FUser = StringBytes(Encrypt.Find("U"));
    FPermissions = static_cast<uint32_t>(RequireNumber(Encrypt.Find("P")));
    if (const TValue* metadata = Encrypt.Find("EncryptMetadata");
        metadata != nullptr && metadata->Is(TValue::TKind::Boolean))
        FEncryptMetadata = metadata->AsBoolean();
    FFileId = FileId;

    const size_t hashSize = FVersion == 5 ? 48 : 32;
    if (FOwner.size() < hashSize || FUser.size() < hashSize) throw ESecurityError(TMessageCode::EncryptionDamaged, "/O or /U");
    if (FVersion == 5) {
        FOwnerKey = StringBytes(Encrypt.Find("OE"));
        FUserKey = StringBytes(Encrypt.Find("UE"));
        if (FOwnerKey.size() < 32 || FUserKey.size() < 32) throw ESecurityError(TMessageCode::EncryptionDamaged, "/OE or /UE");
        if (const TValue* perms = Encrypt.Find("Perms"); perms != nullptr && perms->Is(TValue::TKind::String))
            FPerms.assign(perms->Text().begin(), perms->Text().end());
        FKeyBytes = 32;
    } else if (FVersion == 2) {
        const TValue* length = Encrypt.Find("Length");
        const int64_t bits = length != nullptr && length->IsNumber() ? length->AsInteger() : 40;
        if (bits < 40 || bits > 128 || bits % 8 != 0)
            throw ESecurityError(TMessageCode::UnsupportedMethod, "/Length " + std::to_string(bits));
        FKeyBytes = static_cast<int>(bits / 8);
    } else if (FVersion == 4) {
        FKeyBytes = 16;
    }

    // Version 4 and 5 name their crypt filters; the others are RC4 throughout.
    if (FVersion >= 4) {
        if (const TValue* filters = Encrypt.Find("CF");
            filters != nullptr && filters->IsDictionary()) {
            for (const auto& [name, dictionary] : filters->Entries())
                FCryptFilters.emplace_back(NormalName(name), MethodOf(Text(dictionary.Find("CFM"))));
        }
        const std::string stream = Encrypt.Find("StmF") != nullptr ? Text(Encrypt.Find("StmF")) : "/Identity";
        FStreamMethod = TCryptMethod::None;
        FStreamMethod = StreamMethod(stream);
        FStringFilter = Encrypt.Find("StrF") != nullptr ? Text(Encrypt.Find("StrF")) : "/Identity";
    }
}

TCryptMethod TSecurityHandler::StreamMethod(const std::string& CryptFilter) const {
    if (CryptFilter.empty()) return FStreamMethod;
    if (CryptFilter == "/Identity") return TCryptMethod::None;
    for (const auto& [name, method] : FCryptFilters)
        if (name == CryptFilter) return method;
    throw ESecurityError(TMessageCode::UnsupportedMethod, "crypt filter " + CryptFilter);
}

TBytes TSecurityHandler::LegacyKey(const std::string& Password) const {
    TBytes input = Padded(Password);
    Append(input, FOwner);
    const std::array<uint8_t, 4> permissions = {
        static_cast<uint8_t>(FPermissions), static_cast<uint8_t>(FPermissions >> 8),
        static_cast<uint8_t>(FPermissions >> 16), static_cast<uint8_t>(FPermissions >> 24)};
    Append(input, permissions);
    Append(input, Bytes(FFileId));
    if (FRevision >= 4 && !FEncryptMetadata) Append(input, std::array<uint8_t, 4>{0xFF, 0xFF, 0xFF, 0xFF});
    TBytes key = Md5(input);
    const auto n = static_cast<size_t>(FKeyBytes);
    if (FRevision >= 3)
        for (int i = 0; i < 50; ++i) key = Md5(std::span(key.data(), n));
    key.resize(n);
    return key;
}

TBytes TSecurityHandler::Hash(const std::string& Password, std::span<const uint8_t> Salt,
                              std::span<const uint8_t> UserKey) const {
    TBytes input(Password.begin(), Password.end());
    Append(input, Salt);
    Append(input, UserKey);
    TBytes k = Sha2(256, input);
    if (FRevision == 5) return k;
    // Algorithm 2.B: rounds of AES-128 and SHA-2 until the last byte allows.
    TBytes e;
    for (int round = 0; round < 64 || e.back() > round - 32; ++round) {
        if (round >= MaximumHashRounds) break;
        TBytes block(Password.begin(), Password.end());
        Append(block, k);
        Append(block, UserKey);
        TBytes k1;
        k1.reserve(block.size() * 64);
        for (int i = 0; i < 64; ++i) Append(k1, block);
        e = AesCbcEncryptRaw(std::span(k.data(), 16), std::span(k.data() + 16, 16), k1);
        int sum = 0;
        for (int i = 0; i < 16; ++i) sum += e[static_cast<size_t>(i)];
        k = Sha2(sum % 3 == 0 ? 256 : sum % 3 == 1 ? 384 : 512, e);
    }
    k.resize(32);
    return k;
}

bool TSecurityHandler::TryAes256User(const std::string& Password) {
    const std::span<const uint8_t> user(FUser);
    if (Hash(Password, user.subspan(32, 8), {}) != TBytes(user.begin(), user.begin() + 32)) return false;
    const TBytes key = Hash(Password, user.subspan(40, 8), {});
    FKey = AesCbcDecryptRaw(key, TBytes(16, 0), std::span(FUserKey.data(), 32));
    return FKey.size() == 32;
}

bool TSecurityHandler::TryAes256Owner(const std::string& Password) {
    const std::span<const uint8_t> owner(FOwner);
    const std::span<const uint8_t> user(FUser.data(), 48);
    if (Hash(Password, owner.subspan(32, 8), user) != TBytes(owner.begin(), owner.begin() + 32)) return false;
    const TBytes key = Hash(Password, owner.subspan(40, 8), user);
    FKey = AesCbcDecryptRaw(key, TBytes(16, 0), std::span(FOwnerKey.data(), 32));
    return FKey.size() == 32;
}

bool TSecurityHandler::TryUser(const std::string& Password) {
    if (FVersion == 5) {
        const std::vector<std::string> forms = Aes256Passwords(Password);
        return std::any_of(forms.begin(), forms.end(), [this](const std::string& Form) { return TryAes256User(Form); });
    }
    TBytes key = LegacyKey(Password);
    bool match;
    if (FRevision == 2) {
        match = Rc4(key, Padding) == FUser;
    } else {
        TBytes input(Padding.begin(), Padding.end());
        Append(input, Bytes(FFileId));
        const TBytes check = Rc4Rounds(key, Md5(input), 0, 19);
        match = std::equal(check.begin(), check.end(), FUser.begin());
    }
    if (match) FKey = std::move(key);
    return match;
}

bool TSecurityHandler::TryOwner(const std::string& Password) {
    if (FVersion == 5) {
        const std::vector<std::string> forms = Aes256Passwords(Password);
        return std::any_of(forms.begin(), forms.end(), [this](const std::string& Form) { return TryAes256Owner(Form); });
    }
    // Algorithm 7: the owner password's key decrypts /O to the user password.
    TBytes key = Md5(Padded(Password));
    const auto n = static_cast<size_t>(FKeyBytes);
    if (FRevision >= 3)
        for (int i = 0; i < 50; ++i) key = Md5(std::span(key.data(), n));
    key.resize(n);
    const TBytes owner(FOwner.begin(), FOwner.begin() + 32);
    const TBytes user = FRevision == 2 ? Rc4(key, owner) : Rc4Rounds(key, owner, 19, 0);
    return TryUser(std::string(user.begin(), user.end()));
}

TBytes TSecurityHandler::DecryptStream(int32_t Number, int32_t Generation, std::span<const uint8_t> Data,
                                       const std::string& CryptFilter) const {
    const TCryptMethod method = StreamMethod(CryptFilter);
    if (method == TCryptMethod::None) return TBytes(Data.begin(), Data.end());
    if (method == TCryptMethod::Aes256 || FVersion == 5) return AesCbcDecrypt(FKey, Data);
    // Algorithm 1: the object's key from the file key, number and generation.
    TBytes input = FKey;
    const std::array<uint8_t, 5> object = {static_cast<uint8_t>(Number), static_cast<uint8_t>(Number >> 8),
                                           static_cast<uint8_t>(Number >> 16), static_cast<uint8_t>(Generation),
                                           static_cast<uint8_t>(Generation >> 8)};
    Append(input, object);
    if (method == TCryptMethod::Aes128) Append(input, Bytes("sAlT"));
    TBytes key = Md5(input);
    key.resize(std::min<size_t>(FKey.size() + 5, 16));
    return method == TCryptMethod::Aes128 ? AesCbcDecrypt(key, Data) : Rc4(key, Data);
}

TBytes TSecurityHandler::DecryptString(int32_t Number, int32_t Generation, std::span<const uint8_t> Data) const {
    return DecryptStream(Number, Generation, Data, FStringFilter);
}

std::optional<TMessageCode> TSecurityHandler::PermsWarning() const {
    if (FVersion != 5) return std::nullopt;
    if (FPerms.size() < 16) return TMessageCode::PermsMissing;
    // One block: CBC with a zero vector is the ECB decryption it asks for.
    const TBytes perms = AesCbcDecryptRaw(FKey, TBytes(16, 0), std::span(FPerms.data(), 16));
    bool match = perms.size() == 16 && perms[9] == 'a' && perms[10] == 'd' && perms[11] == 'b' &&
                 perms[8] == (FEncryptMetadata ? 'T' : 'F');
    for (size_t i = 0; match && i < 4; ++i) match = perms[i] == static_cast<uint8_t>(FPermissions >> (8 * i));
    if (match) return std::nullopt;
    return TMessageCode::PermsMismatch;
}

std::string TSecurityHandler::Description() const {
    const std::string revision = " (R" + std::to_string(FRevision) + ")";
    switch (FStreamMethod) {
        case TCryptMethod::Rc4: return "RC4-" + std::to_string(FKeyBytes * 8) + revision;
        case TCryptMethod::Aes128: return "AES-128" + revision;
        case TCryptMethod::Aes256: return "AES-256" + revision;
        case TCryptMethod::None: break;
    }
    return "Identity" + revision;
}

}  // namespace lumerra
