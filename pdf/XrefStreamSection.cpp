// Extended reading's part of the analyser: cross-reference streams, and the
// objects kept in object streams.
#include <algorithm>
#include <charconv>
#include <climits>

#include "pdf/DecodeParms.h"
#include "pdf/LoadMessages.h"
#include "pdf/ObjectScanner.h"
#include "pdf/ObjectStreamCache.h"
#include "pdf/PDFAnalyst.h"
#include "pdf/StreamData.h"
#include "pdf/XrefStream.h"

namespace lumerra {

namespace {

// A cross-reference or object stream decodes to at most this much: more is
// no table a real file has, and the cap keeps a small bomb small.
constexpr int32_t MaximumStructureStream = 256 * 1024 * 1024;

// A decimal integer token; Default when it is none.
int64_t StrToInt64Def(const std::string& Text, int64_t Default) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(Text.data(), Text.data() + Text.size(), value);
    return error == std::errc() && end == Text.data() + Text.size() ? value : Default;
}

// A stream object's dictionary as these readers need it: read from where S
// stands (just after "n g obj") up to "stream", then its decoded data.
struct TStreamDictionary {
    std::string Type;
    TStringList Filters;
    std::vector<TDecodeParams> Params;
    int32_t Length = 0;
    // Integer values and integer arrays, by key.
    std::vector<std::pair<std::string, std::vector<int64_t>>> Numbers;
    bool HasEncrypt = false;

    const std::vector<int64_t>* Find(const std::string& Key) const {
        for (const auto& [key, values] : Numbers)
            if (key == Key) return &values;
        return nullptr;
    }
    int64_t Integer(const std::string& Key, int64_t Default) const {
        const auto* values = Find(Key);
        return values != nullptr && !values->empty() ? values->front() : Default;
    }
};

// Reads the keys Wanted (integers, a reference's number, or integer arrays)
// and the stream's data into Data. False when no "stream" was met. An
// object stream of an encrypted file is decrypted as object Object; a
// cross-reference stream (Object -1) never is.
bool ReadStreamObject(TPDFAnalyst& Analyst, TObjectScanner& Scan, const std::vector<std::string>& Wanted,
                      TStreamDictionary& Dictionary, TMemoryStream& Data, int32_t Object = -1) {
    TStream& S = Scan.Stream();
    bool haveData = false;
    Scan.Run([&](const TToken& token) {
        if (token.Is("/Type")) {
            Dictionary.Type = Scan.Next().Text;
        } else if (token.Is("/Length")) {
            Dictionary.Length = Analyst.ReadIntegerValue(S);
        } else if (token.Is("/Filter")) {
            Analyst.ReadNameList(S, Dictionary.Filters);
        } else if (token.Is("/DecodeParms")) {
            ReadDecodeParms(Analyst, S, Dictionary.Params);
        } else if (token.Is("/Encrypt")) {
            Dictionary.HasEncrypt = true;
        } else if (token.Is("stream")) {
            std::vector<TFilterStep> steps = FilterSteps(Dictionary.Filters, Dictionary.Params);
            const TStreamDecryptor decrypt = Object >= 0 ? Analyst.StreamDecryptor(Object, steps) : nullptr;
            haveData = ReadStreamDataExtended(S, Data, Dictionary.Length, steps, MaximumStructureStream, decrypt);
            return TScanAction::Stop;
        } else if (std::find(Wanted.begin(), Wanted.end(), token.Text) != Wanted.end()) {
            std::vector<int64_t> values;
            const TToken& first = Scan.Next();
            if (first.Is("[")) {
                for (const TToken* item = &Scan.Next(); item->Text != "]" && values.size() < 4096; item = &Scan.Next())
                    values.push_back(StrToInt64Def(item->Text, -1));
            } else {
                values.push_back(StrToInt64Def(first.Text, -1));
            }
            Dictionary.Numbers.emplace_back(token.Text, std::move(values));
        } else {
            return TScanAction::Default;
        }
        return TScanAction::Handled;
    });
    return haveData;
}

std::span<const uint8_t> Bytes(TMemoryStream& S) { return {S.Memory(), static_cast<size_t>(S.Size())}; }

}  // namespace

int32_t TPDFAnalyst::ReadXrefStream(int32_t Offset, bool EntriesOnly) {
    TStream& S = *FStream;
    TPositionKeeper keeper(S);
    S.SetPosition(Offset);
    TObjectScanner scan(*this, S, StreamObjectScan, -1);
    SkipObjectHeader(S);
    TStreamDictionary dictionary;
    TMemoryStream data;
    const bool read = ReadStreamObject(*this, scan, {"/W", "/Index", "/Size", "/Prev", "/Root", "/Info"}, dictionary, data);
    if (!read || dictionary.Type != "/XRef") Fail(MsgXrefOffsetInvalid, Offset);
    ++FCensus.Streams;

    TXrefStreamLayout layout;
    const auto* widths = dictionary.Find("/W");
    if (widths == nullptr || widths->size() != 3) Fail(MsgXrefCountInvalid, Offset);
    std::copy(widths->begin(), widths->end(), layout.Widths.begin());
    if (const auto* index = dictionary.Find("/Index"); index != nullptr) {
        for (size_t i = 0; i + 1 < index->size(); i += 2) layout.Subsections.emplace_back((*index)[i], (*index)[i + 1]);
    } else {
        layout.Subsections.emplace_back(0, dictionary.Integer("/Size", 0));
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
    if (FRootID == -1) FRootID = static_cast<int32_t>(std::clamp<int64_t>(dictionary.Integer("/Root", -1), -1, INT32_MAX));
    if (FInfoID == -1) FInfoID = static_cast<int32_t>(std::clamp<int64_t>(dictionary.Integer("/Info", -1), -1, INT32_MAX));
    if (dictionary.HasEncrypt) FEncrypted = true;
    if (dictionary.HasEncrypt && FEncryptTrailer < 0) FEncryptTrailer = Offset;
    const int64_t prev = dictionary.Integer("/Prev", -1);
    return prev >= 0 && prev <= INT32_MAX ? static_cast<int32_t>(prev) : -1;
}

const TDecodedObjectStream* TPDFAnalyst::ObjectStream(int32_t Number) {
    if (!FObjectStreams) FObjectStreams = std::make_unique<TObjectStreamCache>();
    return FObjectStreams->Get(Number, [&]() -> std::optional<TDecodedObjectStream> {
        // An object stream lies in the file itself, never in another one.
        const TObjectLocation location = Locate(Number);
        if (location.Kind() != TObjectLocation::TKind::InFile) return std::nullopt;
        TPositionKeeper keeper(*FStream);
        TObjectScanner scan = TObjectScanner::OpenObject(*this, Number, StreamObjectScan);
        TStreamDictionary dictionary;
        TMemoryStream data;
        if (!ReadStreamObject(*this, scan, {"/N", "/First"}, dictionary, data, Number) || dictionary.Type != "/ObjStm")
            return std::nullopt;
        auto index = TObjectStreamIndex::Read(Bytes(data), dictionary.Integer("/N", -1), dictionary.Integer("/First", -1));
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
