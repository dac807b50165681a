// Extended reading's part of the analyser for encrypted files: the trailer's
// /Encrypt and /ID, opening the security handler, and decrypting stream data.
#include <algorithm>

#include "pdf/PDFAnalyst.h"
#include "pdf/SecurityHandler.h"
#include "pdf/StreamData.h"
#include "pdf/ObjectReader.h"
#include "syntax/Parser.h"

namespace lumerra {

namespace {

// A classic trailer is read whole from a window of this many bytes: real
// ones are a few hundred.
constexpr int32_t TrailerWindow = 64 * 1024;

}  // namespace

std::optional<TIndirectObject> TPDFAnalyst::ObjectInFile(int32_t ID) {
    const TObjectLocation location = Locate(ID);
    if (location.Kind() != TObjectLocation::TKind::InFile) return std::nullopt;
    // Read with a position of its own: this runs while streams are decoded.
    const std::unique_ptr<TStream> file = SecondReader(*FStream);
    TIndirectObject object;
    std::vector<uint8_t> window;
    if (!file || ParseObjectAt(*file, location.Offset(), object, window) != TParseFault::None) return std::nullopt;
    return object;
}

bool TPDFAnalyst::IsMetadataStream(int32_t ID) {
    const std::optional<TIndirectObject> object = ObjectInFile(ID);
    const TValue* type = object ? object->Value.Find("Type") : nullptr;
    return type != nullptr && type->IsName("Metadata");
}

TValue TPDFAnalyst::ResolveInFile(const TValue& Value, const std::string& What) {
    if (!Value.Is(TValue::TKind::Reference)) return Value;
    const int32_t number = Value.AsReference().Number;
    std::optional<TIndirectObject> object = ObjectInFile(number);
    if (!object) throw ESecurityError(TMessageCode::EncryptionDamaged, What + ", object " + std::to_string(number));
    return std::move(object->Value);
}

TValue TPDFAnalyst::ResolvedEncryption(const TValue& Encrypt) {
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

void TPDFAnalyst::OpenSecurity() {
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
    FSecurity = TSecurityHandler::Open(ResolvedEncryption(*encrypt), fileId, FPassword);
    if (const auto warning = FSecurity->PermsWarning()) AddWarning({*warning, {}});
}

int32_t TPDFAnalyst::ObjectGeneration(int32_t ID) {
    const std::optional<TIndirectObject> object = ObjectInFile(ID);
    return object ? object->Ref.Generation : 0;
}

std::function<void(TMemoryStream&)> TPDFAnalyst::StreamDecryptor(int32_t ID, std::vector<TFilterStep>& Steps) {
    if (!FSecurity) return nullptr;
    std::string cryptFilter;
    if (!Steps.empty() && Steps.front().Name == "/Crypt") {
        cryptFilter = Steps.front().Params.CryptName.empty() ? "/Identity" : Steps.front().Params.CryptName;
        // A crypt filter the dictionary does not define leaves the step
        // undecodable, as in a file that is not encrypted.
        try {
            FSecurity->StreamMethod(cryptFilter);
        } catch (const ESecurityError&) {
            return nullptr;
        }
        Steps.front().Params.CryptName.clear();
    }
    if (FSecurity->StreamMethod(cryptFilter) == TCryptMethod::None) return nullptr;
    if (!FSecurity->EncryptMetadata() && IsMetadataStream(ID)) return nullptr;
    const int32_t generation = ObjectGeneration(ID);
    const TSecurityHandler* security = FSecurity.get();
    return [security, ID, generation, cryptFilter](TMemoryStream& Raw) {
        const TBytes plain =
            security->DecryptStream(ID, generation, {Raw.Memory(), static_cast<size_t>(Raw.Size())}, cryptFilter);
        Raw.Clear();
        Raw.WriteBuffer(plain.data(), static_cast<int32_t>(plain.size()));
        Raw.SetPosition(0);
    };
}

}  // namespace lumerra
