// Extended reading's part of the analyser for encrypted files: the trailer's
// /Encrypt and /ID, opening the security handler, and decrypting stream data.
#include <algorithm>

#include "pdf/PDFAnalyst.h"
#include "pdf/SecurityHandler.h"
#include "pdf/StreamData.h"
#include "pdf/ValueReader.h"

namespace lumerra {

namespace {

const char* const MsgDamaged = "暗号化辞書が壊れています。";

// A trailer or an encryption dictionary is read whole from a window of this
// many bytes: real ones are a few hundred.
constexpr int32_t DictionaryWindow = 64 * 1024;

std::vector<uint8_t> Window(TStream& S, int32_t Offset) {
    std::vector<uint8_t> bytes(static_cast<size_t>(std::clamp(S.Size() - Offset, 0, DictionaryWindow)));
    S.SetPosition(Offset);
    bytes.resize(static_cast<size_t>(std::max(S.Read(bytes.data(), static_cast<int32_t>(bytes.size())), 0)));
    return bytes;
}

}  // namespace

bool TPDFAnalyst::IsMetadataStream(int32_t ID) {
    const TObjectLocation location = Locate(ID);
    if (location.Kind() != TObjectLocation::TKind::InFile) return false;
    TPositionKeeper keeper(*FStream);
    int32_t generation = 0;
    const auto dictionary = ReadIndirectValue(Window(*FStream, location.Offset()), generation);
    if (!dictionary) return false;
    const TPdfValue* type = dictionary->Find("/Type");
    return type != nullptr && type->Text == "/Metadata";
}

TPdfValue TPDFAnalyst::ResolveInFile(const TPdfValue& Value, const std::string& What) {
    if (!Value.Is(TPdfValue::TKind::Reference)) return Value;
    const std::string context = What + ", object " + std::to_string(Value.Number);
    const TObjectLocation location =
        Value.Number <= INT32_MAX ? Locate(static_cast<int32_t>(Value.Number)) : TObjectLocation();
    if (location.Kind() != TObjectLocation::TKind::InFile) throw ESecurityError(MsgDamaged, context);
    TPositionKeeper keeper(*FStream);
    int32_t generation = 0;
    std::optional<TPdfValue> object = ReadIndirectValue(Window(*FStream, location.Offset()), generation);
    if (!object) throw ESecurityError(MsgDamaged, context);
    return std::move(*object);
}

TPdfValue TPDFAnalyst::ResolvedEncryption(const TPdfValue& Encrypt) {
    TPdfValue encrypt = ResolveInFile(Encrypt, "/Encrypt");
    for (TPdfEntry& entry : encrypt.Entries) {
        if (entry.Key != "/CF") continue;
        entry.Value = ResolveInFile(entry.Value, "/CF");
        for (TPdfEntry& filter : entry.Value.Entries) filter.Value = ResolveInFile(filter.Value, "/CF " + filter.Key);
    }
    return encrypt;
}

void TPDFAnalyst::OpenSecurity() {
    TStream& S = *FStream;
    TPositionKeeper keeper(S);
    // A classic trailer starts at "<<"; a cross-reference stream at its header.
    const std::vector<uint8_t> trailerBytes = Window(S, FEncryptTrailer);
    int32_t generation = 0;
    std::optional<TPdfValue> trailer = ReadIndirectValue(trailerBytes, generation);
    if (!trailer) trailer = ReadPdfValue(trailerBytes);
    if (!trailer || !trailer->Is(TPdfValue::TKind::Dictionary))
        throw ESecurityError(MsgDamaged, "trailer, offset " + std::to_string(FEncryptTrailer));

    std::string fileId;
    if (const TPdfValue* id = trailer->Find("/ID"); id != nullptr && id->Is(TPdfValue::TKind::Array) &&
                                                    !id->Items.empty() && id->Items[0].Is(TPdfValue::TKind::String))
        fileId = id->Items[0].Text;

    const TPdfValue* encrypt = trailer->Find("/Encrypt");
    if (encrypt == nullptr) throw ESecurityError(MsgDamaged, "trailer, offset " + std::to_string(FEncryptTrailer));
    FSecurity = TSecurityHandler::Open(ResolvedEncryption(*encrypt), fileId, FPassword);
    if (std::string warning = FSecurity->PermsWarning(); !warning.empty()) FWarnings.push_back(std::move(warning));
}

int32_t TPDFAnalyst::ObjectGeneration(int32_t ID) {
    const TObjectLocation location = Locate(ID);
    if (location.Kind() != TObjectLocation::TKind::InFile) return 0;
    TPositionKeeper keeper(*FStream);
    const std::vector<uint8_t> header = Window(*FStream, location.Offset());
    int32_t generation = 0;
    return ReadObjectHeader(Window(*FStream, location.Offset()), generation) ? generation : 0;
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
