#include "filters/TextStages.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "syntax/CharClass.h"
#include "syntax/Scanner.h"

namespace lumerra {

size_t TAsciiHexStage::Read(std::span<uint8_t> Out) {
    size_t done = 0;
    while (done < Out.size() && !Done()) {
        const std::span<const uint8_t> at = Input().Peek();
        if (at.empty()) {
            End(Out, done);
            break;
        }
        // A piece at a time: the bytes are looked at in place, the state
        // kept in locals (the output may alias the members).
        size_t i = 0;
        int high = FHigh;
        uint8_t* out = Out.data();
        // A table, not comparisons: random digits would make those branches
        // the processor cannot foresee.
        const int8_t* digits = syntax_detail::HexValues.data();
        while (i < at.size() && done < Out.size()) {
            const uint8_t c = at[i++];
            const int digit = digits[c];
            if (digit >= 0) {
                if (high < 0) {
                    high = digit;
                } else {
                    out[done++] = static_cast<uint8_t>(high << 4 | digit);
                    high = -1;
                }
            } else if (c == '>') {
                FHigh = high;
                End(Out, done);
                high = FHigh;
                break;
            } else if (!IsIsoWhiteSpace(c)) {
                Fail(TMessageCode::AsciiHexFailed, Input().Offset() + static_cast<int64_t>(i) - 1);
                break;
            }
        }
        FHigh = high;
        Input().Consume(i);
    }
    return done;
}

void TAsciiHexStage::End(std::span<uint8_t> Out, size_t& Count) {
    if (FHigh >= 0) Out[Count++] = static_cast<uint8_t>(FHigh << 4);
    FHigh = -1;
    Finish();
}

namespace {

constexpr std::array<uint64_t, 5> PlaceValues = {52200625, 614125, 7225, 85, 1};

void StoreBigEndian(uint8_t* Out, uint32_t Value) {
    Out[0] = static_cast<uint8_t>(Value >> 24);
    Out[1] = static_cast<uint8_t>(Value >> 16);
    Out[2] = static_cast<uint8_t>(Value >> 8);
    Out[3] = static_cast<uint8_t>(Value);
}

}  // namespace

void TAscii85Stage::Close(int64_t At) {
    if (FCount == 1) {
        Fail(TMessageCode::Ascii85Failed, At);
        return;
    }
    if (FCount > 1) {
        // The missing digits count as "u", the highest, since the encoder
        // padded the group with zero bytes.
        uint64_t value = FValue;
        for (int k = FCount; k < 5; ++k) value += 84 * PlaceValues[static_cast<size_t>(k)];
        if (value > UINT32_MAX) {
            Fail(TMessageCode::Ascii85Failed, At);
            return;
        }
        StoreBigEndian(FBytes, static_cast<uint32_t>(value));
        FGive = FCount - 1;
        FGiven = 0;
        FCount = 0;
    }
    Finish();
}

void TAscii85Stage::Take(uint8_t C, int64_t At) {
    if (FTildeAt >= 0) {
        if (C == '>')
            Close(FTildeAt);
        else
            Fail(TMessageCode::Ascii85Failed, FTildeAt);
        return;
    }
    if (C >= '!' && C <= 'u') {
        FValue += static_cast<uint64_t>(C - '!') * PlaceValues[static_cast<size_t>(FCount)];
        if (++FCount < 5) return;
        if (FValue > UINT32_MAX) {
            Fail(TMessageCode::Ascii85Failed, At);
            return;
        }
        StoreBigEndian(FBytes, static_cast<uint32_t>(FValue));
        FGive = 4;
        FGiven = 0;
        FValue = 0;
        FCount = 0;
    } else if (C == 'z' && FCount == 0) {
        StoreBigEndian(FBytes, 0);
        FGive = 4;
        FGiven = 0;
    } else if (C == '~') {
        FTildeAt = At;
    } else if (!IsIsoWhiteSpace(C)) {
        Fail(TMessageCode::Ascii85Failed, At);
    }
}

size_t TAscii85Stage::Read(std::span<uint8_t> Out) {
    size_t done = 0;
    while (done < Out.size()) {
        if (FGiven < FGive) {
            const size_t n = std::min(Out.size() - done, static_cast<size_t>(FGive - FGiven));
            std::memcpy(Out.data() + done, FBytes + FGiven, n);
            FGiven += static_cast<int>(n);
            done += n;
            continue;
        }
        if (Done()) break;
        const std::span<const uint8_t> at = Input().Peek();
        if (at.empty()) {
            if (FTildeAt >= 0)
                Fail(TMessageCode::Ascii85Failed, FTildeAt);
            else
                Close(Input().Offset());
            continue;
        }
        // Whole groups straight into Out, in locals; anything else ("z",
        // "~", white space, a group past 2^32 - 1, the last bytes of Out)
        // one byte at a time through Take.
        size_t i = 0;
        uint64_t value = FValue;
        int count = FCount;
        uint8_t* out = Out.data();
        while (FTildeAt < 0 && i < at.size()) {
            const uint8_t c = at[i];
            if (c < '!' || c > 'u') break;
            const uint64_t next = value + static_cast<uint64_t>(c - '!') * PlaceValues[static_cast<size_t>(count)];
            if (count < 4) {
                value = next;
                ++count;
            } else {
                if (next > UINT32_MAX || Out.size() - done < 4) break;
                StoreBigEndian(out + done, static_cast<uint32_t>(next));
                done += 4;
                value = 0;
                count = 0;
            }
            ++i;
        }
        FValue = value;
        FCount = count;
        Input().Consume(i);
        if (i < at.size()) {
            Take(at[i], Input().Offset());
            Input().Consume(1);
        }
    }
    return done;
}

}  // namespace lumerra
