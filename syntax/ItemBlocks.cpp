#include "syntax/ItemBlocks.h"

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

}  // namespace

const uint8_t* PassItemsByBlocks(const uint8_t* At, const uint8_t* End) {
    while (End - At >= BlockSize) {
        const TBlockMasks m = BlockMasks(At);
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
                if ((m.Close >> stop & 1) == 0) return At + at;
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
                    return At + at;
                next = stop;
            } else {
                return At + at;
            }
            at = next;
            if (at >= BlockSize) break;
        }
        // An item as long as a block is left to the caller.
        if (at == 0) return At;
        At += at;
    }
    return At;
}

#else

const uint8_t* PassItemsByBlocks(const uint8_t* At, const uint8_t*) { return At; }

#endif

}  // namespace lumerra::syntax_detail
