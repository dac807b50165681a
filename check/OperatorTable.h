// The content-stream operators of PDF 2.0 with their operands, as ISO
// 32000-2:2020 lists them in Annex A (Table A.1, "PDF content stream
// operators"), grouped by the classes of 8.2 (Figure 9, the graphics
// objects) that decide where each may stand.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace lumerra::check {

enum class TOperatorClass : uint8_t {
    GeneralState,    // w J j M d ri i gs
    SpecialState,    // q Q cm
    Colour,          // CS cs SC SCN sc scn G g RG rg K k
    TextState,       // Tc Tw Tz TL Tf Tr Ts
    TextShowing,     // Tj TJ ' "
    TextPositioning, // Td TD Tm T*
    TextObject,      // BT ET
    PathConstruction,// m l c v y h re
    PathPainting,    // S s f F f* B B* b b* n
    Clipping,        // W W*
    XObject,         // Do
    Shading,         // sh
    InlineImage,     // BI ID EI
    MarkedContent,   // MP DP BMC BDC EMC
    Compatibility,   // BX EX
    Type3            // d0 d1
};

// The operators the check treats one by one; Other for the rest, which
// their class and operands describe.
enum class TOperatorId : uint8_t {
    Other, q, Q, BT, ET, BMC, BDC, EMC, BX, EX, BI, g, rg, k, G, RG, K, cs, CS, Tf, gs, sh, DP, Do, TJ, m, re, J, j, Tr, ri
};

// Operand letters, one per operand in order:
//   n a number   i an integer   / a name   s a string   a an array
//   d a name or a dictionary (a property list)
// Variable marks the colour operators whose operands depend on the colour
// space (SC SCN sc scn).
struct TOperator {
    std::string_view Name;
    std::string_view Operands;
    TOperatorClass Class;
    TOperatorId Id = TOperatorId::Other;
    bool Variable = false;
};

namespace operator_detail {
inline constexpr size_t OperatorCount = 73;
// Operators are one to three bytes long: each is looked up as a number made
// of its length and bytes. The bytes at 0, size/2 and size-1 are all three
// bytes of any name that short, and read without a branch (a loop over the
// bytes would mispredict its end on every other operator).
constexpr uint32_t Key(std::string_view Name) {
    const size_t size = Name.size();
    return static_cast<uint32_t>(size) << 24 | static_cast<uint32_t>(static_cast<uint8_t>(Name[0])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(Name[size / 2])) << 8 | static_cast<uint8_t>(Name[size - 1]);
}
// A perfect hash over the keys: a multiplier that sends each key to a slot
// of its own (OperatorTable.cpp holds it to that), so that a lookup costs a
// multiplication, one load and one comparison.
inline constexpr int HashBits = 9;
inline constexpr uint32_t Multiplier = 0x9e3779db;
constexpr uint32_t Slot(uint32_t Key) { return (Key * Multiplier) >> (32 - HashBits); }
struct TSlot {
    uint32_t Key = 0;  // 0 for no operator: a key holds its length
    uint8_t Index = 0;
};
extern const std::array<TSlot, size_t{1} << HashBits> Slots;
extern const std::array<TOperator, OperatorCount> Table;
}  // namespace operator_detail

// The entry of operator Name, or null for an operator that PDF does not
// have. Inline: the check asks for every operator of every stream.
inline const TOperator* FindOperator(std::string_view Name) {
    using namespace operator_detail;
    if (Name.empty() || Name.size() > 3) return nullptr;
    const uint32_t key = Key(Name);
    const TSlot& slot = Slots[Slot(key)];
    return slot.Key == key ? &Table[slot.Index] : nullptr;
}

// Every entry, for tests.
std::span<const TOperator> AllOperators();

}  // namespace lumerra::check
