#include "filters/Lzw.h"

#include <algorithm>
#include <memory>

namespace lumerra {

namespace {

constexpr int ClearTable = 256;
constexpr int EndOfData = 257;
constexpr int FirstFree = 258;
constexpr int TableSize = 4096;

// Each entry past the 256 single bytes is an earlier entry plus one byte.
struct TLZWTable {
    uint16_t Prefix[TableSize];
    uint16_t Length[TableSize];
    uint8_t Last[TableSize];
    uint8_t First[TableSize];

    // Entry Code's bytes into Out, back to front along its prefixes.
    void Spell(int Code, uint8_t* Out) const {
        for (int i = Length[Code]; i-- > 0;) {
            Out[i] = Last[Code];
            Code = Prefix[Code];
        }
    }
};

// Codes of up to 12 bits, most significant bit first.
class TCodeReader {
public:
    TCodeReader(const uint8_t* Data, int32_t Length) : FData(Data), FLength(std::max(Length, 0)) {}

    // False when fewer than Width bits remain.
    bool Read(int Width, int& Code) {
        while (FCount < Width) {
            if (FPosition == FLength) return false;
            FBits = FBits << 8 | FData[FPosition++];
            FCount += 8;
        }
        FCount -= Width;
        Code = static_cast<int>(FBits >> FCount) & ((1 << Width) - 1);
        return true;
    }

private:
    const uint8_t* FData;
    int32_t FLength;
    int32_t FPosition = 0;
    uint32_t FBits = 0;  // only the low FCount bits are unread
    int FCount = 0;
};

}  // namespace

TDecodeEnd DecodeLZW(const uint8_t* Data, int32_t Length, TStream& Output, bool EarlyChange, int32_t MaxOutput) {
    TCappedOutput out(Output, MaxOutput);
    const auto table = std::make_unique<TLZWTable>();
    for (int c = 0; c < 256; ++c) {
        table->Prefix[c] = 0;
        table->Length[c] = 1;
        table->Last[c] = table->First[c] = static_cast<uint8_t>(c);
    }
    uint8_t text[TableSize];  // the current code's bytes; no entry is longer
    const int early = EarlyChange ? 1 : 0;
    int next = FirstFree;
    int width = 9;
    int previous = -1;  // none right after a clear code
    TCodeReader codes(Data, Length);
    int code;
    while (codes.Read(width, code)) {
        if (code == ClearTable) {
            next = FirstFree;
            width = 9;
            previous = -1;
            continue;
        }
        if (code == EndOfData) return out.Finish(TDecodeEnd::Complete);
        if (code > next || (code == next && previous < 0)) return out.Finish(TDecodeEnd::Invalid);

        int length;
        if (code < next) {
            length = table->Length[code];
            table->Spell(code, text);
        } else {
            // The entry about to be added: the previous code's bytes and
            // their own first byte.
            length = table->Length[previous] + 1;
            table->Spell(previous, text);
            text[length - 1] = table->First[previous];
        }
        if (previous >= 0 && next < TableSize) {
            table->Prefix[next] = static_cast<uint16_t>(previous);
            table->Length[next] = static_cast<uint16_t>(table->Length[previous] + 1);
            table->Last[next] = text[0];
            table->First[next] = table->First[previous];
            ++next;
            const int reach = next + early;
            width = reach >= 2048 ? 12 : reach >= 1024 ? 11 : reach >= 512 ? 10 : 9;
        }
        previous = code;
        if (!out.Append(text, length)) return out.Finish(TDecodeEnd::Capped);
    }
    return out.Finish(TDecodeEnd::Truncated);
}

}  // namespace lumerra
