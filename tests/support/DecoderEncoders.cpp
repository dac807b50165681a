#include "support/DecoderEncoders.h"

#include <algorithm>
#include <cstdlib>
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

int Paeth(int Left, int Up, int UpLeft) {
    const int p = Left + Up - UpLeft;
    const int toLeft = std::abs(p - Left), toUp = std::abs(p - Up), toUpLeft = std::abs(p - UpLeft);
    return toLeft <= toUp && toLeft <= toUpLeft ? Left : toUp <= toUpLeft ? Up : UpLeft;
}

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
        const bool full = next == TableSize;
        if ((full && Options.ClearWhenFull) || (Options.ClearEvery > 0 && sinceClear == Options.ClearEvery)) clear();
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

std::string EncodePNG(const std::string& Data, int RowBytes, int PixelBytes, const std::vector<uint8_t>& Types) {
    std::string out;
    std::string prior(static_cast<size_t>(RowBytes), '\0');
    for (size_t start = 0, r = 0; start < Data.size(); start += static_cast<size_t>(RowBytes), ++r) {
        const std::string row = Data.substr(start, static_cast<size_t>(RowBytes));
        const uint8_t type = Types[r % Types.size()];
        out += static_cast<char>(type);
        for (size_t k = 0; k < row.size(); ++k) {
            const bool hasLeft = k >= static_cast<size_t>(PixelBytes);
            const int left = hasLeft ? static_cast<uint8_t>(row[k - PixelBytes]) : 0;
            const int up = static_cast<uint8_t>(prior[k]);
            const int upLeft = hasLeft ? static_cast<uint8_t>(prior[k - PixelBytes]) : 0;
            const int predicted = type == 1 ? left : type == 2 ? up : type == 3 ? (left + up) / 2
                                  : type == 4 ? Paeth(left, up, upLeft) : 0;
            out += static_cast<char>(static_cast<uint8_t>(row[k]) - predicted);
        }
        prior = row;
    }
    return out;
}

std::string EncodeTIFF(const std::string& Data, int Colors, int BitsPerComponent, int Columns) {
    const int bits = BitsPerComponent;
    const size_t rowBytes = (static_cast<size_t>(Colors) * Columns * bits + 7) / 8;
    const unsigned mask = (1u << bits) - 1;
    // Component k of a row, bit by bit, most significant first.
    auto get = [bits](const std::string& Row, size_t K) {
        unsigned value = 0;
        for (size_t bit = K * bits; bit < (K + 1) * bits; ++bit)
            value = value << 1 | (static_cast<uint8_t>(Row[bit / 8]) >> (7 - bit % 8) & 1);
        return value;
    };
    auto set = [bits](std::string& Row, size_t K, unsigned Value) {
        for (size_t bit = K * bits, i = 1; bit < (K + 1) * bits; ++bit, ++i) {
            const uint8_t flag = static_cast<uint8_t>(1 << (7 - bit % 8));
            char& byte = Row[bit / 8];
            byte = static_cast<char>(Value >> (bits - i) & 1 ? byte | flag : byte & ~flag);
        }
    };
    std::string out;
    for (size_t start = 0; start < Data.size(); start += rowBytes) {
        const std::string row = Data.substr(start, rowBytes);
        std::string coded = row;
        const size_t count = std::min(static_cast<size_t>(Colors) * Columns, row.size() * 8 / bits);
        for (size_t k = Colors; k < count; ++k) set(coded, k, (get(row, k) - get(row, k - Colors)) & mask);
        out += coded;
    }
    return out;
}

}  // namespace lumerra::test
