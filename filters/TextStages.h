// The two text decoders as stages of extended reading's chain, read as ISO
// 32000 writes them: white space passed over, anything else that is not part
// of the code is damage. (The default reading keeps its own, AsciiDecode.h.)
#pragma once

#include "filters/FilterStage.h"

namespace lumerra {

// /ASCIIHexDecode: pairs of hexadecimal digits up to ">" (or the end of the
// input); an odd final digit is followed by an assumed 0. Any other byte is
// damage (AsciiHexFailed) at that byte.
class TAsciiHexStage final : public TFilterStage {
public:
    using TFilterStage::TFilterStage;
    size_t Read(std::span<uint8_t> Out) override;

private:
    // The end of the data: an odd final digit is followed by a 0.
    void End(std::span<uint8_t> Out, size_t& Count);

    int FHigh = -1;  // a first digit waiting for its second
};

// /ASCII85Decode: groups of five digits "!" to "u", "z" for a group of four
// zeros, up to "~>" (or the end of the input). A final group of n digits
// (2 to 4) gives n - 1 bytes. Damage (Ascii85Failed), at its byte: "z" inside
// a group, a group whose value passes 2^32 - 1, a final group of one digit,
// "~" without ">", any other byte.
class TAscii85Stage final : public TFilterStage {
public:
    using TFilterStage::TFilterStage;
    size_t Read(std::span<uint8_t> Out) override;

private:
    // Decodes byte C, at At in the input, into the open group or FBytes.
    void Take(uint8_t C, int64_t At);
    // The final group of FCount digits, at the end marker at At.
    void Close(int64_t At);

    uint64_t FValue = 0;
    int FCount = 0;          // digits of the open group
    int64_t FTildeAt = -1;   // where a "~" waits for its ">"
    uint8_t FBytes[4]{};   // decoded bytes to give
    int FGive = 0;
    int FGiven = 0;
};

}  // namespace lumerra
