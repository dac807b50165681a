// /LZWDecode (ISO 32000-1, 7.4.4) as a stage of the chain.
#pragma once

#include <memory>

#include "filters/FilterStage.h"

namespace lumerra {

// Codes are 9 to 12 bits wide, most significant bit first; 256 clears the
// table and 257 ends the data. The width grows when the next free entry
// reaches 512, 1024 and 2048; EarlyChange (/EarlyChange 1, the default) makes
// that one entry sooner, false (/EarlyChange 0) waits for it. A full table
// keeps taking 12-bit codes, adding no entry, until a clear code comes.
//
// Damage (LzwFailed): a code past the next free entry, at the byte where the
// code starts, after the bytes before it; input that runs out before 257, at
// its end (a final partial code is padding).
class TLzwStage final : public TFilterStage {
public:
    TLzwStage(TStageInput Input, bool EarlyChange);
    ~TLzwStage() override;
    size_t Read(std::span<uint8_t> Out) override;

    static constexpr int TableSize = 4096;

private:
    struct TTable;
    // Reads the next code; false when fewer than the width's bits remain.
    bool NextCode(int& Code, int64_t& At);
    // Turns one code into FText; false when the data ends at it.
    bool Decode(int Code, int64_t At);

    std::unique_ptr<TTable> FTable;
    int FEarly;
    int FNext;
    int FWidth = 9;
    int FPrevious = -1;  // none right after a clear code
    uint32_t FBits = 0;  // only the low FCount bits are unread
    int FCount = 0;
    // The current code's bytes (no entry is longer) and how many are given.
    uint8_t FText[TableSize];
    int FTextLength = 0;
    int FTextGiven = 0;
};

}  // namespace lumerra
