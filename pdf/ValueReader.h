// A small, bounded reader of one PDF value out of a window of bytes, for the
// few places that need values whole: the trailer's /Encrypt and /ID, and the
// encryption dictionary. Everything else is read by the object scanner.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace lumerra {

struct TPdfEntry;

struct TPdfValue {
    enum class TKind : uint8_t { Null, Boolean, Number, Name, String, Reference, Array, Dictionary };
    TKind Kind = TKind::Null;
    std::string Text;    // a name with its "/", a number as written, a string's bytes
    int64_t Number = 0;  // an integer's value, or a reference's object number
    bool Boolean = false;
    std::vector<TPdfValue> Items;    // array items
    std::vector<TPdfEntry> Entries;  // dictionary entries

    // The entry Key of a dictionary; null when absent or not a dictionary.
    const TPdfValue* Find(const std::string& Key) const;
    bool Is(TKind K) const { return Kind == K; }
};

struct TPdfEntry {
    std::string Key;
    TPdfValue Value;
};

// The value that Data starts with (after white space and comments), or none
// when it is damaged or passes the bounds: nesting deeper than 16, more than
// 4096 items in all. Data ending inside the value is damage too.
std::optional<TPdfValue> ReadPdfValue(std::span<const uint8_t> Data);

// True when Data starts with an object header "n g obj"; Generation
// receives g.
bool ReadObjectHeader(std::span<const uint8_t> Data, int32_t& Generation);

// The value after an object header "n g obj"; Generation receives g.
std::optional<TPdfValue> ReadIndirectValue(std::span<const uint8_t> Data, int32_t& Generation);

}  // namespace lumerra
