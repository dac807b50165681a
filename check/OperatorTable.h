// The content-stream operators of PDF 2.0 with their operands, as ISO
// 32000-2:2020 lists them in Annex A (Table A.1, "PDF content stream
// operators"), grouped by the classes of 8.2 (Figure 9, the graphics
// objects) that decide where each may stand.
#pragma once

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

// The entry of operator Name, or null for an operator that PDF does not have.
const TOperator* FindOperator(std::string_view Name);

// Every entry, for tests.
std::span<const TOperator> AllOperators();

}  // namespace lumerra::check
