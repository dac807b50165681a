// Extended reading's Info dictionary: parsed and read by key, the strings
// of an encrypted file decrypted with the object that holds them.
#include <algorithm>

#include "pdf/DocInfo.h"
#include "pdf/ExtendedAnalyst.h"
#include "pdf/InfoKeys.h"
#include "pdf/ObjectReader.h"
#include "pdf/SecurityHandler.h"

namespace lumerra {

TInfoEntries TExtendedAnalyst::ReadInfoEntries() {
    // Without the key, its strings would be read as noise.
    if (Encrypted() && Security() == nullptr) return {};
    TObjectReader reader(*this);
    TInfoEntries entries;
    try {
        const TValuePtr info = reader.Object(InfoID());
        if (!info->IsDictionary()) return entries;
        const TSecurityHandler* security = Security();
        for (const auto& [key, name] : InfoKeys) {
            const TValue* entry = info->Find(std::string_view(key).substr(1));
            if (entry == nullptr) continue;
            const TValuePtr value = reader.Resolve(TValuePtr(info, entry));
            if (!value->Is(TValue::TKind::String)) continue;
            std::string bytes = value->Text().substr(0, MaximumInfoString);
            const int32_t holder =
                entry->Is(TValue::TKind::Reference) ? entry->AsReference().Number : InfoID();
            // An object stream is decrypted whole: the strings in it are plain.
            if (security != nullptr && Locate(holder).Kind() == TObjectLocation::TKind::InFile) {
                const TBytes plain = security->DecryptString(
                    holder, ObjectGeneration(holder),
                    {reinterpret_cast<const uint8_t*>(value->Text().data()), value->Text().size()});
                bytes.assign(plain.begin(), plain.begin() + std::min(plain.size(), MaximumInfoString));
            }
            entries.emplace_back(name, TextStringToUtf8(bytes));
        }
    } catch (const Exception&) {
        // Damage ends the reading; what was read stands.
    }
    return entries;
}

}  // namespace lumerra
