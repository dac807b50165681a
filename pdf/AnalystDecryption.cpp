// What every reader of an encrypted document needs: the objects as the
// file holds them, and what decrypts the data of each stream.
#include "pdf/ObjectReader.h"
#include "pdf/PDFAnalyst.h"
#include "pdf/SecurityHandler.h"
#include "pdf/StreamData.h"
#include "syntax/Parser.h"

namespace lumerra {

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

int32_t TPDFAnalyst::ObjectGeneration(int32_t ID) {
    const std::optional<TIndirectObject> object = ObjectInFile(ID);
    return object ? object->Ref.Generation : 0;
}

std::function<void(TMemoryStream&)> TPDFAnalyst::StreamDecryptor(int32_t ID, std::vector<TFilterStep>& Steps) {
    if (!Doc().Security) return nullptr;
    std::string cryptFilter;
    if (!Steps.empty() && Steps.front().Name == "/Crypt") {
        cryptFilter = Steps.front().Params.CryptName.empty() ? "/Identity" : Steps.front().Params.CryptName;
        // A crypt filter the dictionary does not define leaves the step
        // undecodable, as in a file that is not encrypted.
        try {
            Doc().Security->StreamMethod(cryptFilter);
        } catch (const ESecurityError&) {
            return nullptr;
        }
        Steps.front().Params.CryptName.clear();
    }
    if (Doc().Security->StreamMethod(cryptFilter) == TCryptMethod::None) return nullptr;
    if (!Doc().Security->EncryptMetadata() && IsMetadataStream(ID)) return nullptr;
    const int32_t generation = ObjectGeneration(ID);
    const TSecurityHandler* security = Doc().Security.get();
    return [security, ID, generation, cryptFilter](TMemoryStream& Raw) {
        const TBytes plain =
            security->DecryptStream(ID, generation, {Raw.Memory(), static_cast<size_t>(Raw.Size())}, cryptFilter);
        Raw.Clear();
        Raw.WriteBuffer(plain.data(), static_cast<int32_t>(plain.size()));
        Raw.SetPosition(0);
    };
}

}  // namespace lumerra
