#include "filters/Lzw.h"

#include <algorithm>
#include <cstring>

namespace lumerra {

namespace {

constexpr int ClearTable = 256;
constexpr int EndOfData = 257;
constexpr int FirstFree = 258;

}  // namespace

// Each entry past the 256 single bytes is an earlier entry plus one byte.
struct TLzwStage::TTable {
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

TLzwStage::TLzwStage(TStageInput Input, bool EarlyChange)
    : TFilterStage(std::move(Input)), FTable(std::make_unique<TTable>()), FEarly(EarlyChange ? 1 : 0), FNext(FirstFree) {
    for (int c = 0; c < 256; ++c) {
        FTable->Prefix[c] = 0;
        FTable->Length[c] = 1;
        FTable->Last[c] = FTable->First[c] = static_cast<uint8_t>(c);
    }
}

TLzwStage::~TLzwStage() = default;

bool TLzwStage::NextCode(int& Code, int64_t& At) {
    At = (Input().Offset() * 8 - FCount) / 8;
    while (FCount < FWidth) {
        uint8_t byte;
        if (!Input().Next(byte)) return false;
        FBits = FBits << 8 | byte;
        FCount += 8;
    }
    FCount -= FWidth;
    Code = static_cast<int>(FBits >> FCount) & ((1 << FWidth) - 1);
    return true;
}

bool TLzwStage::Decode(int Code, int64_t At) {
    if (Code == ClearTable) {
        FNext = FirstFree;
        FWidth = 9;
        FPrevious = -1;
        return true;
    }
    if (Code == EndOfData) {
        Finish();
        return false;
    }
    if (Code > FNext || (Code == FNext && FPrevious < 0)) {
        Fail(TMessageCode::LzwFailed, At);
        return false;
    }
    TTable& table = *FTable;
    if (Code < FNext) {
        FTextLength = table.Length[Code];
        table.Spell(Code, FText);
    } else {
        // The entry about to be added: the previous code's bytes and their
        // own first byte.
        FTextLength = table.Length[FPrevious] + 1;
        table.Spell(FPrevious, FText);
        FText[FTextLength - 1] = table.First[FPrevious];
    }
    FTextGiven = 0;
    if (FPrevious >= 0 && FNext < TableSize) {
        table.Prefix[FNext] = static_cast<uint16_t>(FPrevious);
        table.Length[FNext] = static_cast<uint16_t>(table.Length[FPrevious] + 1);
        table.Last[FNext] = FText[0];
        table.First[FNext] = table.First[FPrevious];
        ++FNext;
        const int reach = FNext + FEarly;
        FWidth = reach >= 2048 ? 12 : reach >= 1024 ? 11 : reach >= 512 ? 10 : 9;
    }
    FPrevious = Code;
    return true;
}

size_t TLzwStage::Read(std::span<uint8_t> Out) {
    size_t done = 0;
    while (done < Out.size()) {
        if (FTextGiven < FTextLength) {
            const size_t n = std::min(Out.size() - done, static_cast<size_t>(FTextLength - FTextGiven));
            std::memcpy(Out.data() + done, FText + FTextGiven, n);
            FTextGiven += static_cast<int>(n);
            done += n;
            continue;
        }
        if (Done()) break;
        int code;
        int64_t at;
        if (!NextCode(code, at)) {
            Fail(TMessageCode::LzwFailed, Input().Offset());
            break;
        }
        Decode(code, at);
    }
    return done;
}

}  // namespace lumerra
