#include "filters/TextStages.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "syntax/Scanner.h"

namespace lumerra {

using syntax_detail::HexValue;

size_t TAsciiHexStage::Read(std::span<uint8_t> Out) {
    size_t done = 0;
    while (done < Out.size() && !Done()) {
        const std::span<const uint8_t> at = Input().Peek();
        if (at.empty()) {
            End(Out, done);
            break;
        }
        // A piece at a time: the bytes are looked at in place.
        size_t i = 0;
        while (i < at.size() && done < Out.size()) {
            const uint8_t c = at[i++];
            const int digit = HexValue(c);
            if (digit >= 0) {
                if (FHigh < 0) {
                    FHigh = digit;
                } else {
                    Out[done++] = static_cast<uint8_t>(FHigh << 4 | digit);
                    FHigh = -1;
                }
            } else if (c == '>') {
                End(Out, done);
                break;
            } else if (!IsIsoWhiteSpace(c)) {
                Fail(TMessageCode::AsciiHexFailed, Input().Offset() + static_cast<int64_t>(i) - 1);
                break;
            }
        }
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
        // A piece at a time, up to the next group decoded.
        size_t i = 0;
        while (i < at.size() && FGiven == FGive && !Done()) {
            Take(at[i], Input().Offset() + static_cast<int64_t>(i));
            ++i;
        }
        Input().Consume(i);
    }
    return done;
}

}  // namespace lumerra
