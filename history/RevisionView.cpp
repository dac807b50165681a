#include "history/RevisionView.h"

#include <algorithm>

#include "common/Stream.h"
#include "pdf/ObjectReader.h"
#include "pdf/XrefSection.h"
#include "syntax/Tokenizer.h"

namespace lumerra {

namespace {

// A chain of references longer than this is a loop.
constexpr int MaximumHops = 32;
// Objects kept parsed, and object streams kept decoded, before the keep is
// emptied: a view reads each revision's objects a few times over.
constexpr size_t MaximumParsed = 1 << 16;
constexpr size_t MaximumObjectStreams = 32;
// Stored stream bytes compared at most; past it, streams differ.
constexpr int64_t MaximumStreamBytes = 16 * 1024 * 1024;
// Objects a reachability walk visits at most.
constexpr size_t MaximumWalk = 1 << 20;

int64_t IntegerOf(const TValue* V) { return V != nullptr && V->Is(TValue::TKind::Integer) ? V->AsInteger() : -1; }

void ReferencesIn(const TValue& V, std::vector<int32_t>& Out, int Depth = 0) {
    if (Depth > 64) return;
    switch (V.Kind()) {
        case TValue::TKind::Reference: Out.push_back(V.AsReference().Number); break;
        case TValue::TKind::Array:
            for (const TValue& item : V.Items()) ReferencesIn(item, Out, Depth + 1);
            break;
        case TValue::TKind::Dictionary:
        case TValue::TKind::Stream:
            for (const auto& entry : V.Entries()) ReferencesIn(entry.second, Out, Depth + 1);
            break;
        default: break;
    }
}

}  // namespace

TRevisionView::TRevisionView(TObjectReader& Reader, const std::vector<TRevision>& Revisions)
    : FReader(Reader), FRevisions(Revisions), FNull(std::make_shared<const TValue>()) {
    for (const TRevision& revision : Revisions) FEntries.push_back(RevisionEntries(revision));
}

const TXrefStreamEntry* TRevisionView::Entry(size_t R, int32_t Number) const {
    for (size_t r = std::min(R + 1, FEntries.size()); r-- > 0;)
        if (const auto found = FEntries[r].find(Number); found != FEntries[r].end()) return &found->second;
    return nullptr;
}

bool TRevisionView::InUse(size_t R, int32_t Number) const {
    const TXrefStreamEntry* entry = Entry(R, Number);
    return entry != nullptr && EntryInUse(*entry);
}

std::vector<int32_t> TRevisionView::InUseNumbers(size_t R) const {
    std::unordered_set<int32_t> listed;
    for (size_t r = 0; r <= R && r < FEntries.size(); ++r)
        for (const auto& entry : FEntries[r]) listed.insert(entry.first);
    std::vector<int32_t> numbers;
    for (const int32_t number : listed)
        if (number > 0 && InUse(R, number)) numbers.push_back(number);
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

TValuePtr TRevisionView::Object(size_t R, int32_t Number) {
    const TXrefStreamEntry* entry = Entry(R, Number);
    if (entry == nullptr || !EntryInUse(*entry)) return FNull;
    const TPlace place{static_cast<int>(entry->Kind), entry->Field2, entry->Field3};
    if (const auto found = FParsed.find(place); found != FParsed.end()) return found->second;
    if (FParsed.size() >= MaximumParsed) FParsed.clear();
    TValuePtr value = Parse(R, Number, *entry);
    FParsed[place] = value;
    return value;
}

TValuePtr TRevisionView::Parse(size_t R, int32_t Number, const TXrefStreamEntry& Entry) {
    TIndirectObject object;
    if (Entry.Kind == TXrefStreamEntry::TKind::InFile) {
        if (ParseObjectAt(FReader.File(), Entry.Field2, object, FWindow) != TParseFault::None ||
            object.Ref.Number != Number)
            return FNull;
        return std::make_shared<const TValue>(std::move(object.Value));
    }
    if (Entry.Field2 < 1 || Entry.Field2 > INT32_MAX) return FNull;
    const TDecodedObjectStream* stream = StreamAt(R, static_cast<int32_t>(Entry.Field2));
    if (stream == nullptr) return FNull;
    const auto* slot = stream->Index.At(Entry.Field3);
    if (slot == nullptr || slot->Number != Number) return FNull;
    const std::string head = std::to_string(Number) + " 0 obj\n";
    std::vector<uint8_t> bytes(head.begin(), head.end());
    bytes.insert(bytes.end(), stream->Data.begin() + slot->Start, stream->Data.begin() + slot->End);
    for (const char c : std::string_view("\nendobj\n")) bytes.push_back(static_cast<uint8_t>(c));
    TTokenizer tokens(bytes);
    TParser parser(tokens, {}, true);
    if (parser.ReadIndirectObject(object) != TParseFault::None || object.Value.Is(TValue::TKind::Stream)) return FNull;
    return std::make_shared<const TValue>(std::move(object.Value));
}

const TDecodedObjectStream* TRevisionView::StreamAt(size_t R, int32_t Number) {
    const TXrefStreamEntry* entry = Entry(R, Number);
    if (entry == nullptr || entry->Kind != TXrefStreamEntry::TKind::InFile) return nullptr;
    const int64_t offset = entry->Field2;
    if (const auto found = FObjectStreams.find(offset); found != FObjectStreams.end())
        return found->second ? &*found->second : nullptr;
    if (FObjectStreams.size() >= MaximumObjectStreams) FObjectStreams.clear();
    std::optional<TDecodedObjectStream>& slot = FObjectStreams[offset];
    TMemoryStream data;
    const TValuePtr dictionary = ReadStructureStream(FReader, offset, data, Number);
    if (!dictionary || dictionary->Find("Type") == nullptr || !dictionary->Find("Type")->IsName("ObjStm"))
        return nullptr;
    const std::span<const uint8_t> bytes(data.Memory(), static_cast<size_t>(data.Size()));
    auto index = TObjectStreamIndex::Read(bytes, IntegerOf(dictionary->Find("N")), IntegerOf(dictionary->Find("First")));
    if (!index) return nullptr;
    slot = TDecodedObjectStream{std::vector<uint8_t>(bytes.begin(), bytes.end()), std::move(*index)};
    return &*slot;
}

TValuePtr TRevisionView::Resolve(size_t R, const TValue& V) {
    if (!V.Is(TValue::TKind::Reference)) return std::make_shared<const TValue>(V);
    TValuePtr value = Object(R, V.AsReference().Number);
    for (int hop = 0; hop < MaximumHops && value->Is(TValue::TKind::Reference); ++hop)
        value = Object(R, value->AsReference().Number);
    return value->Is(TValue::TKind::Reference) ? FNull : value;
}

TValuePtr TRevisionView::Get(size_t R, const TValue& Dict, std::string_view Key) {
    const TValue* entry = Dict.Find(Key);
    return entry != nullptr ? Resolve(R, *entry) : FNull;
}

const TValue* TRevisionView::TrailerKey(size_t R, const char* Key) const {
    for (size_t r = std::min(R + 1, FRevisions.size()); r-- > 0;)
        for (const TRevisionSection& part : FRevisions[r].Sections)
            if (const TValue* value = part.Section.Trailer.Find(Key); value != nullptr && !part.Beside) return value;
    return nullptr;
}

std::string TRevisionView::StreamBytes(size_t R, int32_t Number) {
    const TValuePtr stream = Object(R, Number);
    if (!stream->Is(TValue::TKind::Stream)) return {};
    const TValuePtr length = Get(R, *stream, "Length");
    const int64_t size = std::min(IntegerOf(length.get()), MaximumStreamBytes);
    TStream& file = FReader.File();
    if (size <= 0 || stream->StreamDataOffset() < 0 || stream->StreamDataOffset() >= file.Size()) return {};
    // From the keyword's end: the end of line, then the data.
    std::string bytes(static_cast<size_t>(std::min(size + 2, file.Size() - stream->StreamDataOffset())), '\0');
    file.SetPosition(stream->StreamDataOffset());
    bytes.resize(static_cast<size_t>(file.Read(bytes.data(), static_cast<int32_t>(bytes.size()))));
    return bytes;
}

bool TRevisionView::SameObject(size_t A, size_t B, int32_t Number) {
    const TValuePtr a = Object(A, Number), b = Object(B, Number);
    if (!SameValue(*a, *b)) return false;
    return !a->Is(TValue::TKind::Stream) || StreamBytes(A, Number) == StreamBytes(B, Number);
}

std::unordered_set<int32_t> TRevisionView::Reachable(size_t R) {
    std::unordered_set<int32_t> seen;
    std::vector<int32_t> next;
    for (const char* key : {"Root", "Info", "Encrypt"})
        if (const TValue* root = TrailerKey(R, key); root != nullptr) ReferencesIn(*root, next);
    while (!next.empty() && seen.size() < MaximumWalk) {
        const int32_t number = next.back();
        next.pop_back();
        if (!seen.insert(number).second) continue;
        ReferencesIn(*Object(R, number), next);
    }
    return seen;
}

}  // namespace lumerra
