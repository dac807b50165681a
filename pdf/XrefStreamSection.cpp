// Extended reading's part of the analyser: cross-reference streams, and the
// objects kept in object streams.
#include <algorithm>
#include <climits>

#include "pdf/LoadMessages.h"
#include "pdf/ObjectReader.h"
#include "pdf/ObjectStreamCache.h"
#include "pdf/PDFAnalyst.h"
#include "pdf/StreamData.h"
#include "pdf/StreamDictionary.h"
#include "pdf/XrefStream.h"

namespace lumerra {

namespace {

// A cross-reference or object stream decodes to at most this much: more is
// no table a real file has, and the cap keeps a small bomb small.
constexpr int32_t MaximumStructureStream = 256 * 1024 * 1024;

// The stream object whose header is at Offset, parsed, with its decoded data
// in Data; null when it is no stream. References in its dictionary resolve
// through the table as read so far. An object stream of an encrypted file is
// decrypted as object Object; a cross-reference stream (Object -1) never is.
TValuePtr ReadStructureStream(TPDFAnalyst& Analyst, int32_t Offset, TMemoryStream& Data, int32_t Object = -1) {
    TStream& S = *Analyst.Stream();
    TIndirectObject object;
    std::vector<uint8_t> window;
    if (ParseObjectAt(S, Offset, object, window) != TParseFault::None || !object.Value.Is(TValue::TKind::Stream))
        return nullptr;
    auto stream = std::make_shared<const TValue>(std::move(object.Value));
    TObjectReader reader(Analyst);
    std::vector<TFilterStep> steps = StreamFilterSteps(reader, stream);
    const TStreamDecryptor decrypt = Object >= 0 ? Analyst.StreamDecryptor(Object, steps) : nullptr;
    // Read before the data: reading an object moves the file's position.
    const int32_t length = std::max(DeclaredStreamLength(reader, stream), 0);
    S.SetPosition(static_cast<int32_t>(stream->StreamDataOffset()));
    if (!ReadStreamDataExtended(S, Data, length, steps, MaximumStructureStream, decrypt)) return nullptr;
    return stream;
}

// An integer entry, or the number of the object a reference names; Default
// for anything else.
int64_t NumberOf(const TValue* Value, int64_t Default) {
    if (Value == nullptr) return Default;
    if (Value->Is(TValue::TKind::Integer)) return Value->AsInteger();
    if (Value->Is(TValue::TKind::Reference)) return Value->AsReference().Number;
    return Default;
}

// The integers of an array entry (at most 4096 of them); other items count as -1.
std::vector<int64_t> Integers(const TValue* Value) {
    std::vector<int64_t> values;
    if (Value == nullptr || !Value->Is(TValue::TKind::Array)) return values;
    for (const TValue& item : Value->Items()) {
        if (values.size() == 4096) break;
        values.push_back(item.Is(TValue::TKind::Integer) ? item.AsInteger() : -1);
    }
    return values;
}

std::span<const uint8_t> Bytes(TMemoryStream& S) { return {S.Memory(), static_cast<size_t>(S.Size())}; }

}  // namespace

int32_t TPDFAnalyst::ReadXrefStream(int32_t Offset, bool EntriesOnly) {
    TPositionKeeper keeper(*FStream);
    TMemoryStream data;
    const TValuePtr dictionary = ReadStructureStream(*this, Offset, data);
    if (!dictionary || !dictionary->Find("Type") || !dictionary->Find("Type")->IsName("XRef"))
        Fail(MsgXrefOffsetInvalid, Offset);
    ++FCensus.Streams;

    TXrefStreamLayout layout;
    const std::vector<int64_t> widths = Integers(dictionary->Find("W"));
    if (widths.size() != 3) Fail(MsgXrefCountInvalid, Offset);
    std::copy(widths.begin(), widths.end(), layout.Widths.begin());
    if (const TValue* index = dictionary->Find("Index"); index != nullptr) {
        const std::vector<int64_t> pairs = Integers(index);
        for (size_t i = 0; i + 1 < pairs.size(); i += 2) layout.Subsections.emplace_back(pairs[i], pairs[i + 1]);
    } else {
        layout.Subsections.emplace_back(0, NumberOf(dictionary->Find("Size"), 0));
    }
    if (CheckXrefLayout(layout) != TXrefLayoutFault::None) Fail(MsgXrefCountInvalid, Offset);

    // The table grows to the highest number the data really holds.
    int64_t end = 0;
    ReadXrefStreamEntries(Bytes(data), layout,
                          [&end](int32_t Number, const TXrefStreamEntry&) { end = std::max(end, int64_t{Number} + 1); });
    GrowTable(end, Offset);
    ReadXrefStreamEntries(Bytes(data), layout, [&](int32_t Number, const TXrefStreamEntry& Entry) {
        const auto slot = static_cast<size_t>(Number);
        // A newer section has it; a hybrid file's stream may still fill what
        // its table marked free.
        const bool taken = FObjectOffsets[slot] != -1 || FCompressed[slot].Stream >= 0;
        if (taken && !(EntriesOnly && FFreeObjects[slot])) return;
        switch (Entry.Kind) {
            case TXrefStreamEntry::TKind::InFile:
                FObjectOffsets[slot] = Entry.Field2 <= INT32_MAX ? static_cast<int32_t>(Entry.Field2) : -2;
                FFreeObjects[slot] = false;
                break;
            case TXrefStreamEntry::TKind::InObjectStream:
                if (Entry.Field2 > INT32_MAX || Entry.Field3 > INT32_MAX) return;
                FCompressed[slot] = {static_cast<int32_t>(Entry.Field2), static_cast<int32_t>(Entry.Field3)};
                FObjectOffsets[slot] = -2;  // elsewhere: not in the file
                FFreeObjects[slot] = false;
                break;
            case TXrefStreamEntry::TKind::Free:
            case TXrefStreamEntry::TKind::Unknown:
                FObjectOffsets[slot] = 0;
                FFreeObjects[slot] = true;
                break;
        }
    });
    if (EntriesOnly) return -1;

    // The trailer's keys; a newer section's values win.
    const auto objectNumber = [&](const char* Key) {
        return static_cast<int32_t>(std::clamp<int64_t>(NumberOf(dictionary->Find(Key), -1), -1, INT32_MAX));
    };
    if (FRootID == -1) FRootID = objectNumber("Root");
    if (FInfoID == -1) FInfoID = objectNumber("Info");
    const bool encrypted = dictionary->Find("Encrypt") != nullptr;
    if (encrypted) FEncrypted = true;
    if (encrypted && FEncryptTrailer < 0) FEncryptTrailer = Offset;
    const int64_t prev = NumberOf(dictionary->Find("Prev"), -1);
    return prev >= 0 && prev <= INT32_MAX ? static_cast<int32_t>(prev) : -1;
}

const TDecodedObjectStream* TPDFAnalyst::ObjectStream(int32_t Number) {
    if (!FObjectStreams) FObjectStreams = std::make_unique<TObjectStreamCache>();
    return FObjectStreams->Get(Number, [&]() -> std::optional<TDecodedObjectStream> {
        // An object stream lies in the file itself, never in another one.
        const TObjectLocation location = Locate(Number);
        if (location.Kind() != TObjectLocation::TKind::InFile) return std::nullopt;
        TPositionKeeper keeper(*FStream);
        TMemoryStream data;
        const TValuePtr dictionary = ReadStructureStream(*this, location.Offset(), data, Number);
        if (!dictionary || !dictionary->Find("Type") || !dictionary->Find("Type")->IsName("ObjStm"))
            return std::nullopt;
        auto index = TObjectStreamIndex::Read(Bytes(data), NumberOf(dictionary->Find("N"), -1),
                                              NumberOf(dictionary->Find("First"), -1));
        if (!index) return std::nullopt;
        TDecodedObjectStream decoded{std::vector<uint8_t>(data.Memory(), data.Memory() + data.Size()), std::move(*index)};
        return decoded;
    });
}

std::unique_ptr<TStream> TPDFAnalyst::CompressedObject(int32_t ID, const TObjectLocation& Location) {
    const TDecodedObjectStream* stream = ObjectStream(Location.Stream());
    if (stream == nullptr) return nullptr;
    const auto* entry = stream->Index.At(Location.Index());
    if (entry == nullptr || entry->Number != ID) return nullptr;
    auto bytes = std::make_unique<TMemoryStream>();
    const std::string head = std::to_string(ID) + " 0 obj\n";
    const std::string tail = "\nendobj\n";
    bytes->WriteBuffer(head.data(), static_cast<int32_t>(head.size()));
    bytes->WriteBuffer(stream->Data.data() + entry->Start, entry->End - entry->Start);
    bytes->WriteBuffer(tail.data(), static_cast<int32_t>(tail.size()));
    bytes->SetPosition(0);
    return bytes;
}

TPDFAnalyst::TXrefCensus TPDFAnalyst::XrefCensus() const {
    TXrefCensus census = FCensus;
    std::vector<int32_t> streams;
    for (const TCompressedEntry& entry : FCompressed) {
        if (entry.Stream < 0) continue;
        ++census.ObjectsInStreams;
        streams.push_back(entry.Stream);
    }
    std::sort(streams.begin(), streams.end());
    census.ObjectStreams = static_cast<int32_t>(std::unique(streams.begin(), streams.end()) - streams.begin());
    return census;
}

bool ExtendedReadingLoads(const std::string& FileName) {
    try {
        TPDFAnalyst analyst;
        analyst.SetExtendedReading(true);
        analyst.LoadFromFile(FileName);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

}  // namespace lumerra
