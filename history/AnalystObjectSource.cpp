#include "history/AnalystObjectSource.h"

#include <algorithm>

#include "common/Exceptions.h"
#include "common/Stream.h"
#include "history/RevisionChain.h"
#include "history/RevisionChanges.h"
#include "model/StreamObject.h"
#include "pdf/PDFAnalyst.h"
#include "pdf/SecurityHandler.h"
#include "pdf/StreamData.h"
#include "pdf/StreamDictionary.h"

namespace lumerra {

namespace {

// Value with every string decrypted as object Number of generation
// Generation encrypts it.
TValue DecryptedStrings(const TValue& Value, const TSecurityHandler& Security, int32_t Number, int32_t Generation) {
    switch (Value.Kind()) {
        case TValue::TKind::String: {
            const std::string& bytes = Value.Text();
            const auto plain = Security.DecryptString(
                Number, Generation, std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
            return TValue::String(std::string(plain.begin(), plain.end()));
        }
        case TValue::TKind::Array: {
            std::vector<TValue> items;
            for (const TValue& item : Value.Items()) items.push_back(DecryptedStrings(item, Security, Number, Generation));
            return TValue::Array(std::move(items));
        }
        case TValue::TKind::Dictionary:
        case TValue::TKind::Stream: {
            std::vector<TValue::TEntry> entries;
            for (const auto& [key, item] : Value.Entries())
                entries.emplace_back(key, DecryptedStrings(item, Security, Number, Generation));
            TValue result = TValue::Dictionary(std::move(entries));
            if (Value.Is(TValue::TKind::Stream)) result.MakeStream(Value.StreamDataOffset());
            return result;
        }
        default: return Value;
    }
}

}  // namespace

TAnalystObjectSource::TAnalystObjectSource(TPDFAnalyst& Analyst) : FAnalyst(Analyst), FReader(Analyst) {}

int32_t TAnalystObjectSource::ObjectCount() { return FAnalyst.ObjectCount(); }

void TAnalystObjectSource::ReadHistory() {
    if (FHistoryRead) return;
    FHistoryRead = true;
    try {
        FChain = ReadRevisionChain(FReader);
        const TRevisionChain& chain = *FChain;
        // A cross-reference stream's dictionary is the trailer: a dictionary.
        if (!chain.Revisions.empty() && !chain.Revisions.back().Sections.empty())
            FTrailer = std::make_shared<const TValue>(
                TValue::Dictionary(chain.Revisions.back().Sections.front().Section.Trailer.Entries()));
        FRevisions = static_cast<int32_t>(chain.Revisions.size());
    } catch (const EDamagedInput&) {
        // A table rebuilt from the objects themselves has no revisions.
    }
    if (FTrailer) return;
    // What the document was loaded with stands in for the trailer.
    std::vector<TValue::TEntry> entries{{"Size", TValue::Integer(FAnalyst.ObjectCount())}};
    if (FAnalyst.RootID() > 0) entries.emplace_back("Root", TValue::Reference({FAnalyst.RootID(), 0}));
    if (FAnalyst.InfoID() > 0) entries.emplace_back("Info", TValue::Reference({FAnalyst.InfoID(), 0}));
    FTrailer = std::make_shared<const TValue>(TValue::Dictionary(std::move(entries)));
}

int32_t TAnalystObjectSource::RevisionOf(int32_t Number) {
    ReadHistory();
    if (!FChain) return 0;
    const auto& revisions = FChain->Revisions;
    if (FRevisionOf.empty() && ++FAsked > 64) {
        FRevisionOf.assign(static_cast<size_t>(std::max(0, FAnalyst.ObjectCount())), 0);
        const std::vector<TRevisionChanges> changes = CompareRevisions(revisions);
        for (size_t revision = 0; revision < changes.size(); ++revision)
            for (const auto* numbers : {&changes[revision].Added, &changes[revision].Changed, &changes[revision].Freed})
                for (const int32_t number : *numbers)
                    if (number >= 0 && static_cast<size_t>(number) < FRevisionOf.size())
                        FRevisionOf[static_cast<size_t>(number)] = static_cast<int32_t>(revision + 1);
    }
    if (!FRevisionOf.empty())
        return static_cast<size_t>(Number) < FRevisionOf.size() ? FRevisionOf[static_cast<size_t>(Number)] : 0;
    // The oldest first: a revision wrote the object when its entry differs
    // from the one before (the first section of a revision to list it wins).
    int32_t wrote = 0;
    std::optional<TXrefStreamEntry> last;
    for (size_t revision = 0; revision < revisions.size(); ++revision) {
        bool listed = false;
        for (const TRevisionSection& section : revisions[revision].Sections)
            for (const auto& [number, entry] : section.Section.Entries) {
                if (number != Number || listed) continue;
                listed = true;
                const bool same = last && last->Kind == entry.Kind && last->Field2 == entry.Field2 &&
                                  last->Field3 == entry.Field3;
                if (!same && !(entry.Kind == TXrefStreamEntry::TKind::Free && !last)) wrote = static_cast<int32_t>(revision + 1);
                last = entry;
            }
    }
    return wrote;
}

TValuePtr TAnalystObjectSource::Trailer() {
    ReadHistory();
    return FTrailer;
}

std::vector<TValuePtr> TAnalystObjectSource::RevisionTrailers() {
    const auto& kept = FAnalyst.RevisionTrailers();
    if (kept.empty() || FAnalyst.Repaired()) return {Trailer()};
    std::vector<TValuePtr> trailers;
    for (const TValuePtr& trailer : kept)
        trailers.push_back(std::make_shared<const TValue>(TValue::Dictionary(trailer->Entries())));
    return trailers;
}

int32_t TAnalystObjectSource::NewestRevision() {
    ReadHistory();
    return FRevisions;
}

TValuePtr TAnalystObjectSource::Object(int32_t Number) {
    if (FAnalyst.IsDirectPage(Number)) return FReader.Page(Number);
    const TValuePtr value = FReader.Object(Number);
    // The strings of an encrypted file are shown as it means them; those in
    // object streams, in a cross-reference stream and in the encryption
    // dictionary were never encrypted.
    const TSecurityHandler* security = FAnalyst.Security();
    if (security == nullptr || FAnalyst.Locate(Number).Kind() != TObjectLocation::TKind::InFile) return value;
    const TValue* type = value->Find("Type");
    if (type != nullptr && type->IsName("XRef")) return value;
    const TValue* encrypt = Trailer()->Find("Encrypt");
    if (encrypt != nullptr && encrypt->Is(TValue::TKind::Reference) && encrypt->AsReference().Number == Number)
        return value;
    return std::make_shared<const TValue>(
        DecryptedStrings(*value, *security, Number, FAnalyst.ObjectGeneration(Number)));
}

TObjectPlace TAnalystObjectSource::Place(int32_t Number) {
    ReadHistory();
    TObjectPlace place;
    if (!FAnalyst.IsValidID(Number)) return place;
    const auto index = static_cast<size_t>(Number);
    place.Free = index < FAnalyst.FreeObjects().size() && FAnalyst.FreeObjects()[index];
    place.Revision = RevisionOf(Number);
    if (place.Free) return place;
    place.Location = FAnalyst.Locate(Number);
    if (place.Location.Found()) place.Generation = FAnalyst.ObjectGeneration(Number);
    return place;
}

std::optional<int32_t> TAnalystObjectSource::PageObject(int32_t Page) {
    if (!FPages) {
        FPages.emplace();
        FAnalyst.GetPageList(&*FPages);
    }
    if (Page < 1 || static_cast<size_t>(Page) > FPages->size()) return std::nullopt;
    return (*FPages)[static_cast<size_t>(Page - 1)];
}

std::string TAnalystObjectSource::StreamData(int32_t Number, bool Decoded, TStreamDamage* Damage) {
    TMemoryStream out;
    const TValuePtr object = FReader.Object(Number);
    // A cross-reference stream is never encrypted.
    const TValue* type = object->Find("Type");
    if (Decoded && FAnalyst.Security() != nullptr && type != nullptr && type->IsName("XRef")) {
        std::vector<TFilterStep> steps = StreamFilterSteps(FReader, object);
        const int32_t declared = DeclaredStreamLength(FReader, object);
        TStream& file = FReader.File();
        file.SetPosition(object->StreamDataOffset());
        ReadStreamDataExtended(file, out, CheckedStreamLength(file, declared), steps, MaxStreamOutput, nullptr, Damage);
    } else if (Decoded) {
        TStringList filters;
        DecodeStreamObject(FReader, Number, filters, out, Damage);
    } else {
        const TValuePtr stream = FReader.Object(Number);
        if (!stream->Is(TValue::TKind::Stream)) return "";
        std::vector<TFilterStep> steps = StreamFilterSteps(FReader, stream);
        const int32_t declared = DeclaredStreamLength(FReader, stream);
        const auto decrypt = FAnalyst.StreamDecryptor(Number, steps);
        TStream& file = FReader.File();
        file.SetPosition(stream->StreamDataOffset());
        const int32_t length = CheckedStreamLength(file, declared);
        // No steps: the bytes as stored, only decrypted.
        ReadStreamDataExtended(file, out, length, {}, MaxStreamOutput, decrypt, Damage);
    }
    return std::string(reinterpret_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size()));
}

}  // namespace lumerra
