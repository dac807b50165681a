#include "pdf/ObjectReader.h"

#include <algorithm>

#include "pdf/ObjectStreamCache.h"
#include "pdf/PDFAnalyst.h"

namespace lumerra {

namespace {

// The first window read for an object; it doubles while the object runs on.
constexpr int64_t FirstWindow = 4096;
// No object's dictionary or array is read from more bytes than this.
constexpr int64_t MaximumWindow = 64 * 1024 * 1024;
// References to references are followed this far (a loop ends there too).
constexpr int MaximumChain = 32;

}  // namespace

TObjectReader::TObjectReader(TPDFAnalyst& Analyst)
    : FAnalyst(Analyst),
      FOwnFile(Analyst.Stream() ? SecondReader(*Analyst.Stream()) : nullptr),
      FFile(FOwnFile ? FOwnFile.get() : Analyst.Stream()),
      FCache(CacheBudgets, Analyst.ObjectCount()),
      FNull(std::make_shared<const TValue>()) {}

TValuePtr TObjectReader::Page(int32_t Number) {
    if (TValuePtr page = FAnalyst.DirectPage(Number)) return page;
    return Object(Number);
}

TValuePtr TObjectReader::Object(int32_t Number) {
    if (const TValuePtr* known = FCache.Find(Number)) return *known;
    return Parse(Number);
}

TValuePtr TObjectReader::ObjectKeys(int32_t Number, const TParser::TKeyFilter& Keys) {
    if (const TValuePtr* known = FCache.Find(Number)) return *known;
    const TObjectLocation location = FAnalyst.Locate(Number);
    if (location.Kind() != TObjectLocation::TKind::InFile) return Object(Number);
    TIndirectObject object;
    if (ParseObjectAt(*FFile, location.Offset(), object, FWindow, &Keys) != TParseFault::None) return FNull;
    if (object.Ref.Number != Number) return Object(Number);  // found elsewhere, or null
    return std::make_shared<const TValue>(std::move(object.Value));
}

TValuePtr TObjectReader::Resolve(const TValuePtr& V) {
    TValuePtr value = V ? V : FNull;
    for (int step = 0; value->Is(TValue::TKind::Reference); ++step) {
        if (step == MaximumChain) return FNull;
        value = Object(value->AsReference().Number);
    }
    return value;
}

TValuePtr TObjectReader::Get(const TValuePtr& Dict, std::string_view Key) {
    if (!Dict) return FNull;
    const TValue* entry = Dict->Find(Key);
    return entry != nullptr ? Resolve(TValuePtr(Dict, entry)) : FNull;
}

TValuePtr TObjectReader::Item(const TValuePtr& Array, size_t I) {
    if (!Array || !Array->Is(TValue::TKind::Array) || I >= Array->Items().size()) return FNull;
    return Resolve(TValuePtr(Array, &Array->Items()[I]));
}

TValuePtr TObjectReader::Parse(int32_t Number) {
    const TObjectLocation location = FAnalyst.Locate(Number);
    switch (location.Kind()) {
        case TObjectLocation::TKind::InFile: return ParseInFile(Number, location.Offset());
        case TObjectLocation::TKind::InObjectStream: return ParseCompressed(Number);
        case TObjectLocation::TKind::None: break;
    }
    return FNull;
}

TParseFault ParseObjectAt(TStream& File, int64_t Offset, TIndirectObject& Out, std::vector<uint8_t>& Window,
                          const TParser::TKeyFilter* Keys) {
    const int64_t rest = File.Size() - Offset;
    if (Offset < 0 || rest <= 0) return TParseFault::Damaged;
    // Most objects lie whole in the bytes the stream already holds: they are
    // parsed where they are, without a copy.
    File.SetPosition(Offset);
    int32_t available = 0;
    if (const uint8_t* held = File.ReadWindow(available); available > 0) {
        TTokenizer tokens({held, static_cast<size_t>(available)}, Offset);
        TParser parser(tokens, {}, available == rest);
        const TParseFault fault = parser.ReadIndirectObject(Out, Keys);
        if (fault != TParseFault::NeedMore || available == rest) return fault;
    }
    for (int64_t window = std::min(FirstWindow, rest);; window = std::min(window * 2, rest)) {
        Window.resize(static_cast<size_t>(window));
        File.SetPosition(Offset);
        File.ReadBuffer(Window.data(), static_cast<int32_t>(window));
        TTokenizer tokens(Window, Offset);
        TParser parser(tokens, {}, window == rest);
        const TParseFault fault = parser.ReadIndirectObject(Out, Keys);
        if (fault != TParseFault::NeedMore || window == rest || window >= MaximumWindow) return fault;
    }
}

TValuePtr TObjectReader::ParseInFile(int32_t Number, int64_t Offset) {
    TIndirectObject object;
    if (ParseObjectAt(*FFile, Offset, object, FWindow) != TParseFault::None) return Missing(Number);
    if (object.Ref.Number != Number) {
        // Read again where one pass over the file found it; the pass names
        // one place per object, so this ends there.
        const int64_t found = FAnalyst.ObjectMisplaced({Number, Offset, object.Ref.Number}, *FFile);
        return found >= 0 && found != Offset ? ParseInFile(Number, found) : Missing(Number);
    }
    auto value = std::make_shared<const TValue>(std::move(object.Value));
    FCache.Keep(Number, value, object.End - Offset);
    return value;
}

TValuePtr TObjectReader::ParseCompressed(int32_t Number) {
    const TObjectLocation location = FAnalyst.Locate(Number);
    const TDecodedObjectStreamPtr stream = FAnalyst.DecodedObjectStream(location.Stream());
    if (stream == nullptr) return Missing(Number);
    // The table's entry must name the object the stream's index gives there.
    const TObjectStreamIndex::TEntry* entry = stream->Index.At(location.Index());
    if (entry == nullptr || entry->Number != Number) return Missing(Number);
    TValue value;
    if (ParseObjectInStream(stream->Data, *entry, value) != TParseFault::None) return Missing(Number);
    auto kept = std::make_shared<const TValue>(std::move(value));
    FCache.Keep(Number, kept, entry->End - entry->Start);
    return kept;
}

TValuePtr TObjectReader::Missing(int32_t Number) {
    FCache.Keep(Number, FNull, 1);
    return FNull;
}

}  // namespace lumerra
