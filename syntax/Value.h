// The values of PDF objects (ISO 32000-2, 7.3): a small, closed set of kinds.
// A value is plain data: it owns its items and entries, and a reference is
// only a pair of numbers until a document resolves it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace lumerra {

struct TObjectRef {
    int32_t Number = 0;
    int32_t Generation = 0;
    friend bool operator==(const TObjectRef&, const TObjectRef&) = default;
};

class TValue {
public:
    enum class TKind : uint8_t { Null, Boolean, Integer, Real, String, Name, Array, Dictionary, Reference, Stream };
    using TEntry = std::pair<std::string, TValue>;  // a key's decoded bytes, without the slash

    TValue() = default;
    static TValue Boolean(bool B);
    static TValue Integer(int64_t N);
    static TValue Real(double R);
    static TValue String(std::string Bytes);
    static TValue Name(std::string Decoded);
    static TValue Reference(TObjectRef Ref);
    static TValue Array(std::vector<TValue> Items);
    static TValue Dictionary(std::vector<TEntry> Entries);

    TKind Kind() const { return FKind; }
    bool Is(TKind K) const { return FKind == K; }
    bool IsNull() const { return FKind == TKind::Null; }
    bool IsNumber() const { return FKind == TKind::Integer || FKind == TKind::Real; }
    // A stream's dictionary answers as a dictionary does.
    bool IsDictionary() const { return FKind == TKind::Dictionary || FKind == TKind::Stream; }

    bool AsBoolean() const { return FNumber != 0; }
    int64_t AsInteger() const { return FNumber; }  // a real's value truncated
    double AsReal() const { return FReal; }
    // A string's bytes, or a name's decoded bytes (no slash).
    const std::string& Text() const;
    // True for a name equal to Decoded.
    bool IsName(std::string_view Decoded) const { return FKind == TKind::Name && Text() == Decoded; }
    TObjectRef AsReference() const { return FRef; }
    const std::vector<TValue>& Items() const;
    const std::vector<TEntry>& Entries() const;

    // The entry Key (decoded, no slash) of a dictionary or stream; null when
    // it has none or this is no dictionary. With repeated keys the last wins.
    const TValue* Find(std::string_view Key) const;

    // Makes a dictionary a stream whose keyword "stream" ends at DataOffset;
    // the end of line and the data follow.
    void MakeStream(int64_t DataOffset);
    int64_t StreamDataOffset() const { return FNumber; }

private:
    // Only what a kind uses is held: values are many and short-lived while
    // objects are parsed, so they are kept small and cheap to move.
    TKind FKind = TKind::Null;
    TObjectRef FRef;
    int64_t FNumber = 0;  // a boolean, an integer, a real truncated, a stream's data offset
    double FReal = 0;
    std::variant<std::monostate, std::string, std::vector<TValue>, std::vector<TEntry>> FData;
};

}  // namespace lumerra
