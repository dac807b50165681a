// Extended reading's part of the analyser for encrypted files: the trailer's
// /Encrypt and /ID, and opening the security handler.
#include <algorithm>

#include "common/Exceptions.h"
#include "pdf/ExtendedAnalyst.h"
#include "pdf/ObjectReader.h"
#include "pdf/SecurityHandler.h"
#include "syntax/Parser.h"

namespace lumerra {

namespace {

// A classic trailer is read whole from a window of this many bytes: real
// ones are a few hundred.
constexpr int32_t TrailerWindow = 64 * 1024;

}  // namespace

TValue TExtendedAnalyst::ResolveInFile(const TValue& Value, const std::string& What) {
    if (!Value.Is(TValue::TKind::Reference)) return Value;
    const int32_t number = Value.AsReference().Number;
    std::optional<TIndirectObject> object = ObjectInFile(number);
    if (!object) throw ESecurityError(TMessageCode::EncryptionDamaged, What + ", object " + std::to_string(number));
    return std::move(object->Value);
}

TValue TExtendedAnalyst::ResolvedEncryption(const TValue& Encrypt) {
    const TValue encrypt = ResolveInFile(Encrypt, "/Encrypt");
    if (!encrypt.IsDictionary()) return encrypt;
    std::vector<TValue::TEntry> entries = encrypt.Entries();
    for (auto& [key, value] : entries) {
        if (key != "CF") continue;
        value = ResolveInFile(value, "/CF");
        if (!value.IsDictionary()) continue;
        std::vector<TValue::TEntry> filters = value.Entries();
        for (auto& [name, filter] : filters) filter = ResolveInFile(filter, "/CF " + NormalName(name));
        value = TValue::Dictionary(std::move(filters));
    }
    return TValue::Dictionary(std::move(entries));
}

void TExtendedAnalyst::OpenSecurity() {
    TStream& S = *FStream;
    TPositionKeeper keeper(S);
    // The file's own chain kept the trailer; a rebuilt table knows where it
    // is: a cross-reference stream starts at its header, a classic trailer
    // at "<<".
    std::optional<TValue> trailer = FEncryptingTrailer;
    TIndirectObject xrefStream;
    std::vector<uint8_t> window;
    if (!trailer && ParseObjectAt(S, FEncryptTrailer, xrefStream, window) == TParseFault::None) {
        trailer = std::move(xrefStream.Value);
    } else if (!trailer) {
        window.resize(static_cast<size_t>(std::clamp<int64_t>(S.Size() - FEncryptTrailer, 0, TrailerWindow)));
        S.SetPosition(FEncryptTrailer);
        S.ReadBuffer(window.data(), static_cast<int32_t>(window.size()));
        trailer = ParseValue(window);
    }
    if (!trailer || !trailer->IsDictionary())
        throw ESecurityError(TMessageCode::EncryptionDamaged, "trailer, offset " + std::to_string(FEncryptTrailer));

    std::string fileId;
    if (const TValue* id = trailer->Find("ID");
        id != nullptr && id->Is(TValue::TKind::Array) && !id->Items().empty() && id->Items()[0].Is(TValue::TKind::String))
        fileId = id->Items()[0].Text();

    const TValue* encrypt = trailer->Find("Encrypt");
    if (encrypt == nullptr) throw ESecurityError(TMessageCode::EncryptionDamaged, "trailer, offset " + std::to_string(FEncryptTrailer));
    Loading().Security = TSecurityHandler::Open(ResolvedEncryption(*encrypt), fileId, FPassword);
    if (const auto warning = Doc().Security->PermsWarning()) AddWarning({*warning, {}});
}

void TExtendedAnalyst::OpenSecurityOrStayLocked() {
    // A password given and refused is the user's error, not a locked file.
    if (!FTableOnly || FPassword) {
        OpenSecurity();
        return;
    }
    try {
        OpenSecurity();
    } catch (const ESecurityError& Error) {
        Loading().Security.reset();
        AddWarning(MakeMessage(TMessageCode::EncryptedLeftLocked, MessageOf(Error)));
    }
}

}  // namespace lumerra
