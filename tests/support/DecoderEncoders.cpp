#include "support/DecoderEncoders.h"

#include <unordered_map>

namespace lumerra::test {

namespace {

class TBitPacker {
public:
    void Put(int Code, int Width) {
        for (int bit = Width - 1; bit >= 0; --bit) {
            FByte = static_cast<uint8_t>(FByte << 1 | (Code >> bit & 1));
            if (++FCount == 8) {
                FOut += static_cast<char>(FByte);
                FCount = 0;
            }
        }
    }
    std::string Done() {
        if (FCount > 0) FOut += static_cast<char>(FByte << (8 - FCount));
        FCount = 0;
        return FOut;
    }

private:
    std::string FOut;
    uint8_t FByte = 0;
    int FCount = 0;
};

}  // namespace

std::string EncodeLZW(const std::string& Data, const TLZWEncoding& Options) {
    constexpr int Clear = 256, End = 257, FirstFree = 258, TableSize = 4096;
    TBitPacker bits;
    std::unordered_map<int, int> table;  // prefix code << 8 | byte -> code
    int next = FirstFree;
    int sinceClear = 0;  // codes written since the table was last cleared
    // The first 10-bit code is the one written after entry 511 was made, or
    // after entry 512 without the early change; 11 and 12 bits follow 1023
    // and 2047 alike.
    auto width = [&] {
        const int last = next - 1;
        const int late = Options.EarlyChange ? 0 : 1;
        return last >= 2047 + late ? 12 : last >= 1023 + late ? 11 : last >= 511 + late ? 10 : 9;
    };
    auto clear = [&] {
        bits.Put(Clear, width());
        table.clear();
        next = FirstFree;
        sinceClear = 0;
    };
    if (Options.ClearFirst) clear();
    int w = -1;
    for (const char c : Data) {
        const uint8_t byte = static_cast<uint8_t>(c);
        if (w < 0) {
            w = byte;
            continue;
        }
        const auto found = table.find(w << 8 | byte);
        if (found != table.end()) {
            w = found->second;
            continue;
        }
        bits.Put(w, width());
        ++sinceClear;
        if (next < TableSize) table[w << 8 | byte] = next++;
        w = byte;
        if ((next == TableSize && Options.ClearWhenFull) || (Options.ClearEvery > 0 && sinceClear == Options.ClearEvery))
            clear();
    }
    if (w >= 0) {
        bits.Put(w, width());
        // The decoder makes an entry on reading that code, unless it is the
        // first since a clear: the end marker comes at its width.
        if (sinceClear > 0 && next < TableSize) ++next;
    }
    if (Options.EndMarker) bits.Put(End, width());
    return bits.Done();
}

std::string PackCodes(const std::vector<std::pair<int, int>>& CodesAndWidths) {
    TBitPacker bits;
    for (const auto& [code, width] : CodesAndWidths) bits.Put(code, width);
    return bits.Done();
}

}  // namespace lumerra::test
