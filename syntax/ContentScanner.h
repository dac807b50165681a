// A content stream read for its structure only, with the tokenizer's
// grammar and character classes: each token's kind, where it stands and the
// bytes of a keyword or a name as they are written. Nothing is converted or
// copied (a number is only told integer or real, a string only passed
// over), so that checking a page costs little more than decoding it.
// TTokenizer stays the reader of values; this one must split any bytes into
// the same tokens at the same offsets (fuzz/FuzzContentScanner compares them).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "syntax/Tokenizer.h"

namespace lumerra {

// Why a Bad token could not be read.
enum class TScanFault : uint8_t {
    None,
    UnterminatedString,     // "(" without its ")"
    UnterminatedHexString,  // "<" without its ">"
    BadHexString,           // a byte in <...> that is neither a hexadecimal digit nor white space
    UnexpectedParenthesis,  // ")" outside a string
    UnexpectedAngle         // ">" that is not half of ">>"
};

struct TScanToken {
    TTokenType Type = TTokenType::End;
    TScanFault Fault = TScanFault::None;
    // A name written with "#": its bytes need DecodeName.
    bool Escaped = false;
    size_t Offset = 0;  // of the first byte, counted from the data's start
    // A keyword's bytes; a name's bytes after the slash, as written. Empty
    // for other tokens. They point into the data.
    std::string_view Bytes;

    bool Is(std::string_view Keyword) const { return Type == TTokenType::Keyword && Bytes == Keyword; }
};

class TContentScanner {
public:
    explicit TContentScanner(std::span<const uint8_t> Data) : FData(Data) {}

    void Next(TScanToken& Token);

    size_t Position() const { return FAt; }
    void SetPosition(size_t At) { FAt = At < FData.size() ? At : FData.size(); }
    std::span<const uint8_t> Data() const { return FData; }

    // A name's written bytes with "#xx" decoded, as TTokenizer gives them.
    static void DecodeName(std::string_view Written, std::string& Out);

private:
    void PassLiteralString(TScanToken& Token);
    void PassHexString(TScanToken& Token);

    std::span<const uint8_t> FData;
    size_t FAt = 0;
};

}  // namespace lumerra
