#include "syntax/ItemBlocks.h"

#include <algorithm>
#include <bit>

#include "syntax/Scanner.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lumerra::syntax_detail {

#if defined(__SSE2__)

namespace {

constexpr int BlockSize = 64;

// Bit i of each mask tells byte i of the block.
struct TBlockMasks {
    uint64_t Open = 0, Close = 0, Backslash = 0, Digit = 0, Period = 0, Sign = 0, White = 0;
};

TBlockMasks BlockMasks(const uint8_t* Block) {
    TBlockMasks masks;
    for (int part = 0; part < BlockSize / 16; ++part) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Block + 16 * part));
        const auto bits = [&](__m128i Flags) {
            return static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(Flags))) << (16 * part);
        };
        const auto equal = [&](char Byte) { return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(Byte)); };
        masks.Open |= bits(equal('('));
        masks.Close |= bits(equal(')'));
        masks.Backslash |= bits(equal('\\'));
        masks.Period |= bits(equal('.'));
        masks.Sign |= bits(_mm_or_si128(equal('+'), equal('-')));
        // c - '0' below 10, unsigned, as a signed comparison of both sides
        // moved down by 128.
        const __m128i fromZero = _mm_xor_si128(_mm_sub_epi8(bytes, _mm_set1_epi8('0')), _mm_set1_epi8(char(0x80)));
        masks.Digit |= bits(_mm_cmplt_epi8(fromZero, _mm_set1_epi8(char(0x80 + 10))));
        masks.White |= bits(_mm_or_si128(_mm_or_si128(_mm_or_si128(equal(' '), equal('\n')), _mm_or_si128(equal('\r'), equal('\t'))),
                                         _mm_or_si128(equal('\f'), equal('\0'))));
    }
    return masks;
}

// The bits of positions From to To - 1 (0 <= From < To <= 64).
uint64_t Between(unsigned From, unsigned To) {
    const uint64_t below = To == 64 ? ~uint64_t{0} : (uint64_t{1} << To) - 1;
    return below & ~((uint64_t{1} << From) - 1);
}

// Bit i set where an odd number of bits 0 to i of Bits are.
uint64_t PrefixParity(uint64_t Bits) {
    for (int shift = 1; shift < 64; shift *= 2) Bits ^= Bits << shift;
    return Bits;
}

// The bytes of the block At judged all at once, for the run of items before
// its first byte of any other kind: how many bytes they take, ending on the
// first byte of an item that runs past the block or on that other byte
// (then OnOther is set); -1 when something in the run needs judging item by
// item (a backslash, a parenthesis inside a string, a number that is not
// one, or one followed by a regular byte).
int PassWholeBlock(const uint8_t* At, const TBlockMasks& m, bool& OnOther) {
    if (m.Backslash != 0) return -1;
    const uint64_t parentheses = m.Open | m.Close;
    // Inside a string from its "(" up to its ")": strings that neither nest
    // nor close twice open and close in turn.
    const uint64_t inside = PrefixParity(parentheses);
    if ((parentheses & inside) != m.Open) return -1;
    const uint64_t outside = ~inside & ~m.Close;
    const uint64_t numberBytes = m.Digit | m.Period | m.Sign;
    const uint64_t others = outside & ~(numberBytes | m.White);
    unsigned end = others != 0 ? static_cast<unsigned>(std::countr_zero(others)) : BlockSize;
    OnOther = end < BlockSize;
    // A string still open at the end of the block is left for the next
    // (a byte of another kind stands before it, outside).
    if ((inside >> 63) != 0) end = std::min(end, 63u - static_cast<unsigned>(std::countl_zero(m.Open)));
    if (end == 0) return 0;
    uint64_t number = outside & numberBytes & Between(0, end);
    uint64_t starts = number & ~(number << 1);
    if (end == BlockSize && (number >> 63) != 0) {
        // So is a number that may go on in the next block.
        end = 63u - static_cast<unsigned>(std::countl_zero(starts));
        if (end == 0) return 0;
        number &= Between(0, end);
        starts &= Between(0, end);
    } else if (OnOther && (number >> (end - 1) & 1) != 0 && IsIsoRegular(At[end])) {
        return -1;  // a number right before a regular byte is a keyword
    }
    // A number as Next reads one: a sign only first, at most one period (a
    // second one stays set when the first one's carry runs through the
    // number) and a digit (a number without one is at most a sign and a
    // period long).
    const uint64_t periods = m.Period & number;
    const uint64_t noDigitStart = starts & ~m.Digit & (~(number >> 1) | (~(m.Digit >> 1) & ~(number >> 2)));
    if ((m.Sign & number & (number << 1)) != 0 || (periods & (number + periods)) != 0 || noDigitStart != 0) return -1;
    return static_cast<int>(end);
}

// The items of the block At judged one by one, from its first byte.
const uint8_t* PassItems(const uint8_t* At, const TBlockMasks& m, bool& Stopped) {
    const auto stopAt = [&](unsigned Bit) {
        Stopped = true;
        return At + Bit;
    };
    const uint64_t number = m.Digit | m.Period | m.Sign;
    unsigned at = 0;  // the bit of the next byte to judge
    for (;;) {
        const uint64_t notWhite = ~m.White >> at;
        if (notWhite == 0) {
            at = BlockSize;
            break;
        }
        at += static_cast<unsigned>(std::countr_zero(notWhite));
        const uint64_t bit = uint64_t{1} << at;
        unsigned next;
        if ((m.Open & bit) != 0) {
            const uint64_t stops = at == 63 ? 0 : (m.Open | m.Close | m.Backslash) >> (at + 1);
            if (stops == 0) break;  // on into the next block
            const unsigned stop = at + 1 + static_cast<unsigned>(std::countr_zero(stops));
            if ((m.Close >> stop & 1) == 0) return stopAt(at);
            next = stop + 1;
        } else if ((number & bit) != 0) {
            const uint64_t others = ~number >> at;
            if (others == 0) break;
            const unsigned stop = at + static_cast<unsigned>(std::countr_zero(others));
            // A number as Next reads one: a sign only first, a digit, at
            // most one period, and no regular byte right after.
            const uint64_t run = Between(at, stop);
            const uint64_t periods = m.Period & run;  // two or more when clearing the lowest leaves one
            if ((m.Sign & run & ~bit) != 0 || (m.Digit & run) == 0 || (periods & (periods - 1)) != 0 ||
                IsIsoRegular(At[stop]))
                return stopAt(at);
            next = stop;
        } else {
            return stopAt(at);
        }
        at = next;
        if (at >= BlockSize) break;
    }
    // An item as long as a block is left to the caller.
    Stopped = at == 0;
    return At + at;
}

}  // namespace

const uint8_t* PassItemsByBlocks(const uint8_t* At, const uint8_t* End) {
    while (End - At >= BlockSize) {
        const TBlockMasks m = BlockMasks(At);
        // Most blocks of a TJ array are passed whole; the rest item by item.
        bool onOther = false;
        if (const int passed = PassWholeBlock(At, m, onOther); passed > 0) {
            At += passed;
            if (onOther) return At;
            continue;
        }
        bool stopped = false;
        At = PassItems(At, m, stopped);
        if (stopped) return At;
    }
    return At;
}

#else

const uint8_t* PassItemsByBlocks(const uint8_t* At, const uint8_t*) { return At; }

#endif

}  // namespace lumerra::syntax_detail
