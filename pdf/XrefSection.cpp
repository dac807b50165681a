#include "pdf/XrefSection.h"

#include <algorithm>
#include <climits>

#include "pdf/ObjectReader.h"
#include "pdf/PDFAnalyst.h"
#include "pdf/StreamData.h"
#include "pdf/StreamDictionary.h"
#include "syntax/Parser.h"
#include "syntax/Tokenizer.h"

namespace lumerra {

namespace {

// The first window a table is read in; it grows while the table runs on.
constexpr int64_t FirstTableWindow = 64 * 1024;
// A cross-reference stream decodes to at most this much: more is no table a
// real file has, and the cap keeps a small bomb small.
constexpr int32_t MaximumXrefStream = 256 * 1024 * 1024;

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

bool IsEntryType(const TSyntaxToken& Token) { return Token.IsKeyword("n") || Token.IsKeyword("f"); }

// An entry as ISO 32000 writes it: ten digits, a space, five digits, a
// space, "n" or "f" and two bytes of white space, 20 bytes in all. Read in
// place, without tokens: a table holds one per object. False for any other
// shape, which the tokens then read.
bool ReadFixedEntry(std::span<const uint8_t> Data, size_t At, TXrefStreamEntry& Entry) {
    if (Data.size() - At < 20) return false;
    const uint8_t* e = Data.data() + At;
    int64_t offset = 0, generation = 0;
    for (int i = 0; i < 10; ++i) {
        if (e[i] < '0' || e[i] > '9') return false;
        offset = offset * 10 + (e[i] - '0');
    }
    for (int i = 11; i < 16; ++i) {
        if (e[i] < '0' || e[i] > '9') return false;
        generation = generation * 10 + (e[i] - '0');
    }
    if (e[10] != ' ' || e[16] != ' ' || (e[17] != 'n' && e[17] != 'f') || !IsIsoWhiteSpace(e[18]) ||
        !IsIsoWhiteSpace(e[19]))
        return false;
    Entry.Kind = e[17] == 'n' ? TXrefStreamEntry::TKind::InFile : TXrefStreamEntry::TKind::Free;
    Entry.Field2 = offset;
    Entry.Field3 = generation;
    return true;
}

// The entries of one subsection: "offset generation n|f" each. Stops early,
// before the token that is no entry, when the count claims more.
TXrefSectionFault ReadSubsection(TTokenizer& Tokens, int64_t First, int64_t Count, TXrefSection& Out) {
    TSyntaxToken offset, generation, type;
    // No more entries than the bytes left can hold, whatever the count says.
    const auto room = static_cast<int64_t>((Tokens.Data().size() - Tokens.Position()) / 18);
    Out.Entries.reserve(Out.Entries.size() + static_cast<size_t>(std::min(Count, room)));
    for (int64_t i = 0; i < Count; ++i) {
        Tokens.SkipWhiteSpace();
        const size_t mark = Tokens.Position();
        if (TXrefStreamEntry entry; ReadFixedEntry(Tokens.Data(), mark, entry)) {
            Tokens.SetPosition(mark + 20);
            if (First + i <= INT32_MAX) Out.Entries.emplace_back(static_cast<int32_t>(First + i), entry);
            continue;
        }
        // A token that ends at the data's end may be cut short: every table
        // has its trailer after it, so a longer window tells.
        Tokens.Next(offset);
        if (Tokens.AtEnd()) return TXrefSectionFault::NeedMore;
        if (offset.Type != TTokenType::Integer) {
            Tokens.SetPosition(mark);
            return TXrefSectionFault::None;
        }
        Tokens.Next(generation);
        Tokens.Next(type);
        if (Tokens.AtEnd()) return TXrefSectionFault::NeedMore;
        if (generation.Type != TTokenType::Integer) return TXrefSectionFault::BadEntries;
        if (!IsEntryType(type)) {
            // "first count" of the next subsection: this one claimed too much.
            if (type.Type != TTokenType::Integer && !type.IsKeyword("trailer")) return TXrefSectionFault::BadEntries;
            Tokens.SetPosition(mark);
            return TXrefSectionFault::None;
        }
        const int64_t number = First + i;
        if (number > INT32_MAX) continue;
        TXrefStreamEntry entry;
        entry.Kind = type.IsKeyword("n") ? TXrefStreamEntry::TKind::InFile : TXrefStreamEntry::TKind::Free;
        entry.Field2 = offset.Integer;
        entry.Field3 = generation.Integer;
        Out.Entries.emplace_back(static_cast<int32_t>(number), entry);
    }
    return TXrefSectionFault::None;
}

// The entries of the stream whose dictionary is Dictionary and whose decoded
// data is Data, laid out by its /W, /Index and /Size.
TXrefSectionFault ReadStreamEntries(const TValue& Dictionary, std::span<const uint8_t> Data, TXrefSection& Out) {
    TXrefStreamLayout layout;
    const std::vector<int64_t> widths = Integers(Dictionary.Find("W"));
    if (widths.size() != 3) return TXrefSectionFault::BadEntries;
    std::copy(widths.begin(), widths.end(), layout.Widths.begin());
    if (const TValue* index = Dictionary.Find("Index"); index != nullptr) {
        const std::vector<int64_t> pairs = Integers(index);
        for (size_t i = 0; i + 1 < pairs.size(); i += 2) layout.Subsections.emplace_back(pairs[i], pairs[i + 1]);
    } else {
        layout.Subsections.emplace_back(0, NumberOf(Dictionary.Find("Size"), 0));
    }
    if (CheckXrefLayout(layout) != TXrefLayoutFault::None) return TXrefSectionFault::BadEntries;
    ReadXrefStreamEntries(Data, layout, [&Out](int32_t Number, const TXrefStreamEntry& Entry) {
        Out.Entries.emplace_back(Number, Entry);
    });
    return TXrefSectionFault::None;
}

}  // namespace

int64_t TXrefSection::OffsetEntry(const char* Key) const {
    const TValue* value = Trailer.Find(Key);
    return value != nullptr && value->Is(TValue::TKind::Integer) && value->AsInteger() >= 0 ? value->AsInteger() : -1;
}

TXrefSectionFault ReadXrefTable(std::span<const uint8_t> Data, int64_t Base, TXrefSection& Out) {
    Out = TXrefSection{};
    Out.Kind = TXrefSection::TKind::Table;
    Out.Offset = Base;
    TTokenizer tokens(Data, Base);
    TSyntaxToken token;
    tokens.Next(token);
    // A window of white space holds no table: its keyword comes first.
    if (token.Type == TTokenType::End) return TXrefSectionFault::NotASection;
    if (!token.IsKeyword("xref")) return tokens.AtEnd() ? TXrefSectionFault::NeedMore : TXrefSectionFault::NotASection;
    for (;;) {
        tokens.Next(token);
        if (tokens.AtEnd()) return TXrefSectionFault::NeedMore;
        if (token.IsKeyword("trailer")) break;
        if (token.Type != TTokenType::Integer || token.Integer < 0) return TXrefSectionFault::BadEntries;
        const int64_t first = token.Integer;
        tokens.Next(token);
        if (tokens.AtEnd()) return TXrefSectionFault::NeedMore;
        if (token.Type != TTokenType::Integer || token.Integer < 0) return TXrefSectionFault::BadEntries;
        if (const TXrefSectionFault fault = ReadSubsection(tokens, first, token.Integer, Out);
            fault != TXrefSectionFault::None)
            return fault;
    }
    TParser parser(tokens);
    switch (parser.ReadValue(Out.Trailer)) {
        case TParseFault::None:
            return Out.Trailer.IsDictionary() ? TXrefSectionFault::None : TXrefSectionFault::BadTrailer;
        case TParseFault::NeedMore:
            return TXrefSectionFault::NeedMore;
        default:
            return TXrefSectionFault::BadTrailer;
    }
}

TValuePtr ReadStructureStream(TObjectReader& Reader, int64_t Offset, TMemoryStream& Data, int32_t Object) {
    TPDFAnalyst& analyst = Reader.Analyst();
    TStream& S = Reader.File();
    TIndirectObject object;
    std::vector<uint8_t> window;
    if (ParseObjectAt(S, Offset, object, window) != TParseFault::None || !object.Value.Is(TValue::TKind::Stream))
        return nullptr;
    auto stream = std::make_shared<const TValue>(std::move(object.Value));
    std::vector<TFilterStep> steps = StreamFilterSteps(Reader, stream);
    const TStreamDecryptor decrypt = Object >= 0 ? analyst.StreamDecryptor(Object, steps) : nullptr;
    // Read before the data: reading an object moves the file's position.
    const int32_t length = std::max(DeclaredStreamLength(Reader, stream), 0);
    S.SetPosition(stream->StreamDataOffset());
    if (!ReadStreamDataExtended(S, Data, length, steps, MaximumXrefStream, decrypt)) return nullptr;
    return stream;
}

TXrefSectionFault ReadXrefSection(TObjectReader& Reader, int64_t Offset, TXrefSection& Out) {
    TStream& file = Reader.File();
    const int64_t size = file.Size();
    if (Offset < 0 || Offset >= size) return TXrefSectionFault::NotASection;

    std::vector<uint8_t> window;
    // Each try reads the table again from its start: the window grows fast.
    for (int64_t length = FirstTableWindow;; length *= 8) {
        length = std::min(length, size - Offset);
        window.resize(static_cast<size_t>(length));
        file.SetPosition(Offset);
        file.ReadBuffer(window.data(), static_cast<int32_t>(length));
        const TXrefSectionFault fault = ReadXrefTable(window, Offset, Out);
        if (fault == TXrefSectionFault::NeedMore && Offset + length < size) continue;
        if (fault == TXrefSectionFault::NeedMore) return TXrefSectionFault::BadTrailer;
        if (fault != TXrefSectionFault::NotASection) return fault;
        break;
    }

    Out = TXrefSection{};
    Out.Kind = TXrefSection::TKind::Stream;
    Out.Offset = Offset;
    TMemoryStream data;
    const TValuePtr stream = ReadStructureStream(Reader, Offset, data);
    if (!stream || !stream->Find("Type") || !stream->Find("Type")->IsName("XRef"))
        return TXrefSectionFault::NotASection;
    Out.Trailer = *stream;
    return ReadStreamEntries(Out.Trailer, {data.Memory(), static_cast<size_t>(data.Size())}, Out);
}

}  // namespace lumerra
