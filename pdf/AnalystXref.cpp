// Extended reading's part of the analyser: the cross-reference chain read
// section by section, and the objects kept in object streams.
#include <algorithm>
#include <climits>
#include <unordered_set>

#include "common/Message.h"
#include "pdf/ExtendedAnalyst.h"
#include "pdf/ObjectReader.h"
#include "pdf/ObjectStreamCache.h"
#include "pdf/XrefSection.h"

namespace lumerra {

namespace {

// An integer entry, or the number of the object a reference names; -1 for
// anything else or a number past 32 bits.
int32_t ObjectNumberOf(const TValue* Value) {
    int64_t number = -1;
    if (Value != nullptr && Value->Is(TValue::TKind::Integer)) number = Value->AsInteger();
    if (Value != nullptr && Value->Is(TValue::TKind::Reference)) number = Value->AsReference().Number;
    return number >= 0 && number <= INT32_MAX ? static_cast<int32_t>(number) : -1;
}

// An integer entry; -1 for anything else.
int64_t IntegerOf(const TValue* Value) {
    return Value != nullptr && Value->Is(TValue::TKind::Integer) ? Value->AsInteger() : -1;
}

std::span<const uint8_t> Bytes(TMemoryStream& S) { return {S.Memory(), static_cast<size_t>(S.Size())}; }

}  // namespace

void TExtendedAnalyst::ReadXrefChain(int64_t Offset) {
    // The /Prev chain is followed in a loop; an offset read before ends it.
    std::unordered_set<int64_t> seen;
    const auto read = [this, &seen](int64_t At, TXrefSection& Section) {
        if (At < 0 || !seen.insert(At).second) Fail(TMessageCode::XrefOffsetInvalid, At);
        // A reader per section: the table grows as sections are read.
        TObjectReader reader(*this);
        switch (lumerra::ReadXrefSection(reader, At, Section)) {
            case TXrefSectionFault::None:
                break;
            case TXrefSectionFault::NotASection:
                Fail(TMessageCode::XrefOffsetInvalid, At);
            case TXrefSectionFault::BadTrailer:
                Fail(TMessageCode::TrailerInvalid, At);
            default:
                Fail(TMessageCode::XrefCountInvalid, At);
        }
        ++(Section.Kind == TXrefSection::TKind::Table ? Loading().Census.Tables : Loading().Census.Streams);
    };
    int64_t newer = -1;
    for (int64_t offset = Offset; offset != -1;) {
        Loading().XrefOffsets.push_back(std::to_string(offset));
        TXrefSection section;
        read(offset, section);
        // An older revision lies before the newer one.
        if (newer < 0 || offset < newer) Loading().RevisionTrailers.push_back(std::make_shared<const TValue>(section.Trailer));
        newer = offset;
        ApplyXrefSection(section, false);
        // A hybrid file: the table's objects kept in object streams are
        // listed by a cross-reference stream beside it.
        if (const int64_t beside = section.XRefStm(); section.Kind == TXrefSection::TKind::Table && beside >= 0) {
            Loading().Census.Hybrid = true;
            TXrefSection hidden;
            read(beside, hidden);
            if (hidden.Kind != TXrefSection::TKind::Stream) Fail(TMessageCode::XrefOffsetInvalid, beside);
            ApplyXrefSection(hidden, true);
        }
        offset = section.Prev();
    }
}

void TExtendedAnalyst::ApplyXrefSection(const TXrefSection& Section, bool EntriesOnly) {
    // The table grows to the highest number the section really holds.
    int64_t end = 0;
    for (const auto& [number, entry] : Section.Entries) end = std::max(end, int64_t{number} + 1);
    GrowTable(end, Section.Offset);
    TDocument& doc = Loading();
    for (const auto& [number, entry] : Section.Entries) {
        const auto slot = static_cast<size_t>(number);
        // A newer section has it; a hybrid file's stream may still fill what
        // its table marked free.
        const bool taken = doc.ObjectOffsets[slot] != -1 || doc.Compressed[slot].Stream >= 0;
        if (taken && !(EntriesOnly && doc.FreeObjects[slot])) continue;
        switch (entry.Kind) {
            case TXrefStreamEntry::TKind::InFile:
                doc.ObjectOffsets[slot] = entry.Field2 >= 0 ? entry.Field2 : -2;
                doc.FreeObjects[slot] = false;
                doc.Generations[slot] = entry.Field3 >= 0 && entry.Field3 <= 65535 ? static_cast<int32_t>(entry.Field3) : -1;
                break;
            case TXrefStreamEntry::TKind::InObjectStream:
                if (entry.Field2 > INT32_MAX || entry.Field3 > INT32_MAX) continue;
                doc.Compressed[slot] = {static_cast<int32_t>(entry.Field2), static_cast<int32_t>(entry.Field3)};
                doc.ObjectOffsets[slot] = -2;  // elsewhere: not in the file
                doc.FreeObjects[slot] = false;
                doc.Generations[slot] = 0;
                break;
            case TXrefStreamEntry::TKind::Free:
            case TXrefStreamEntry::TKind::Unknown:
                doc.ObjectOffsets[slot] = 0;
                doc.FreeObjects[slot] = true;
                doc.Generations[slot] = -1;
                break;
        }
    }
    if (EntriesOnly) return;

    // The trailer's keys; a newer section's values win.
    const TValue& trailer = Section.Trailer;
    if (doc.RootID == -1) doc.RootID = ObjectNumberOf(trailer.Find("Root"));
    if (doc.InfoID == -1) doc.InfoID = ObjectNumberOf(trailer.Find("Info"));
    if (trailer.Find("Encrypt") != nullptr && !FEncryptingTrailer) {
        doc.Encrypted = true;
        FEncryptingTrailer = trailer;
    }
}

TDecodedObjectStreamPtr TExtendedAnalyst::DecodedObjectStream(int32_t Number) {
    if (!FDecodingStreams.insert(Number).second) return nullptr;
    struct TDecoded {
        std::unordered_set<int32_t>& Decoding;
        int32_t Number;
        ~TDecoded() { Decoding.erase(Number); }
    } decoded{FDecodingStreams, Number};
    return Doc().ObjectStreams->Get(Number, [&]() -> std::optional<TDecodedObjectStream> {
        // An object stream lies in the file itself, never in another one.
        const TObjectLocation location = Locate(Number);
        if (location.Kind() != TObjectLocation::TKind::InFile) return std::nullopt;
        TObjectReader reader(*this);
        TMemoryStream data;
        const TValuePtr dictionary = ReadStructureStream(reader, location.Offset(), data, Number);
        if (!dictionary || !dictionary->Find("Type") || !dictionary->Find("Type")->IsName("ObjStm"))
            return std::nullopt;
        auto index = TObjectStreamIndex::Read(Bytes(data), IntegerOf(dictionary->Find("N")),
                                              IntegerOf(dictionary->Find("First")));
        if (!index) return std::nullopt;
        TDecodedObjectStream decoded{std::vector<uint8_t>(data.Memory(), data.Memory() + data.Size()), std::move(*index)};
        return decoded;
    });
}

bool ExtendedReadingLoads(const std::string& FileName) {
    try {
        TExtendedAnalyst analyst;
        analyst.LoadFromFile(FileName);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

}  // namespace lumerra
