// The bounded parser of extended reading: tokens to values (ISO 32000-2,
// 7.3), and indirect objects "n g obj ... endobj" with their stream
// keyword. Nesting and item counts are bounded, so hostile input costs
// little; a fault is returned, never thrown, with where it was found.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "syntax/Tokenizer.h"
#include "syntax/Value.h"

namespace lumerra {

struct TParseLimits {
    int Depth = 32;              // arrays and dictionaries inside each other
    int64_t Items = 1'000'000;  // values in one parse, nested ones included
};

enum class TParseFault : uint8_t {
    None,
    NeedMore,     // the data ended inside the value: a longer window may hold it
    Damaged,      // the bytes are not a value
    TooDeep,      // past TParseLimits::Depth
    TooManyItems  // past TParseLimits::Items
};

struct TIndirectObject {
    TObjectRef Ref;
    TValue Value;     // a stream's dictionary has kind Stream
    int64_t End = 0;  // just past "endobj" (or "stream"), counted as the tokens' offsets are
};

class TParser {
public:
    // Final says the tokenizer's data holds everything there is: its end
    // then ends a number and stands for a missing "endobj", where it would
    // otherwise ask for a longer window (NeedMore).
    explicit TParser(TTokenizer& Tokens, TParseLimits Limits = {}, bool Final = false)
        : FTokens(Tokens), FLimits(Limits), FFinal(Final) {}

    // The next value. Keywords other than true, false and null are damage.
    TParseFault ReadValue(TValue& Out);
    // "n g obj", its value, then "stream" (the value becomes a stream) or
    // "endobj". A missing "endobj" is forgiven when something else follows.
    // With Keys, a dictionary keeps only those entries (decoded names); the
    // others are read and passed over without being built.
    using TKeyFilter = std::vector<std::string_view>;
    TParseFault ReadIndirectObject(TIndirectObject& Out, const TKeyFilter* Keys = nullptr);

    // Where the last fault was found, and what it was.
    int64_t FaultOffset() const { return FFaultOffset; }
    const std::string& FaultText() const { return FFaultText; }

private:
    const TSyntaxToken& Take();
    // Takes the next token when it closes an array (a dictionary); false,
    // reading nothing, when it does not.
    bool AtArrayClose();
    bool AtDictClose();
    // Out null passes the value over; Keys filters the entries of a
    // dictionary at this level.
    TParseFault Value(TValue* Out, int Depth, const TKeyFilter* Keys = nullptr);
    TParseFault Fault(TParseFault F, int64_t Offset, std::string What);

    TTokenizer& FTokens;
    TParseLimits FLimits;
    bool FFinal;
    int64_t FItems = 0;
    TSyntaxToken FToken;
    int64_t FFaultOffset = -1;
    std::string FFaultText;
};

// The value that Data starts with, or none when it is damaged, incomplete or
// past the default limits.
std::optional<TValue> ParseValue(std::span<const uint8_t> Data);

}  // namespace lumerra
