#include "check/OperatorTable.h"

#include <array>

namespace lumerra::check {

namespace {

using C = TOperatorClass;
using operator_detail::HashBits;
using operator_detail::Key;
using operator_detail::Slot;
using operator_detail::TSlot;

// ISO 32000-2:2020, Annex A, Table A.1: all 73 operators, in the table's
// order.
constexpr std::array<TOperator, 73> MakeTable() {
    std::array<TOperator, 73> table = {{
        {"\"", "nns", C::TextShowing},
        {"'", "s", C::TextShowing},
        {"B", "", C::PathPainting},
        {"B*", "", C::PathPainting},
        {"BDC", "/d", C::MarkedContent, TOperatorId::BDC},
        {"BI", "", C::InlineImage, TOperatorId::BI},
        {"BMC", "/", C::MarkedContent, TOperatorId::BMC},
        {"BT", "", C::TextObject, TOperatorId::BT},
        {"BX", "", C::Compatibility, TOperatorId::BX},
        {"CS", "/", C::Colour, TOperatorId::CS},
        {"DP", "/d", C::MarkedContent, TOperatorId::DP},
        {"Do", "/", C::XObject, TOperatorId::Do},
        {"EI", "", C::InlineImage},
        {"EMC", "", C::MarkedContent, TOperatorId::EMC},
        {"ET", "", C::TextObject, TOperatorId::ET},
        {"EX", "", C::Compatibility, TOperatorId::EX},
        {"F", "", C::PathPainting},
        {"G", "n", C::Colour, TOperatorId::G},
        {"ID", "", C::InlineImage},
        {"J", "i", C::GeneralState, TOperatorId::J},
        {"K", "nnnn", C::Colour, TOperatorId::K},
        {"M", "n", C::GeneralState},
        {"MP", "/", C::MarkedContent},
        {"Q", "", C::SpecialState, TOperatorId::Q},
        {"RG", "nnn", C::Colour, TOperatorId::RG},
        {"S", "", C::PathPainting},
        {"SC", "", C::Colour, TOperatorId::Other, true},
        {"SCN", "", C::Colour, TOperatorId::Other, true},
        {"T*", "", C::TextPositioning},
        {"TD", "nn", C::TextPositioning},
        {"TJ", "a", C::TextShowing, TOperatorId::TJ},
        {"TL", "n", C::TextState},
        {"Tc", "n", C::TextState},
        {"Td", "nn", C::TextPositioning},
        {"Tf", "/n", C::TextState, TOperatorId::Tf},
        {"Tj", "s", C::TextShowing},
        {"Tm", "nnnnnn", C::TextPositioning},
        {"Tr", "i", C::TextState, TOperatorId::Tr},
        {"Ts", "n", C::TextState},
        {"Tw", "n", C::TextState},
        {"Tz", "n", C::TextState},
        {"W", "", C::Clipping},
        {"W*", "", C::Clipping},
        {"b", "", C::PathPainting},
        {"b*", "", C::PathPainting},
        {"c", "nnnnnn", C::PathConstruction},
        {"cm", "nnnnnn", C::SpecialState},
        {"cs", "/", C::Colour, TOperatorId::cs},
        {"d", "an", C::GeneralState},
        {"d0", "nn", C::Type3},
        {"d1", "nnnnnn", C::Type3},
        {"f", "", C::PathPainting},
        {"f*", "", C::PathPainting},
        {"g", "n", C::Colour, TOperatorId::g},
        {"gs", "/", C::GeneralState, TOperatorId::gs},
        {"h", "", C::PathConstruction},
        {"i", "n", C::GeneralState},
        {"j", "i", C::GeneralState, TOperatorId::j},
        {"k", "nnnn", C::Colour, TOperatorId::k},
        {"l", "nn", C::PathConstruction},
        {"m", "nn", C::PathConstruction, TOperatorId::m},
        {"n", "", C::PathPainting},
        {"q", "", C::SpecialState, TOperatorId::q},
        {"re", "nnnn", C::PathConstruction, TOperatorId::re},
        {"rg", "nnn", C::Colour, TOperatorId::rg},
        {"ri", "/", C::GeneralState, TOperatorId::ri},
        {"s", "", C::PathPainting},
        {"sc", "", C::Colour, TOperatorId::Other, true},
        {"scn", "", C::Colour, TOperatorId::Other, true},
        {"sh", "/", C::Shading, TOperatorId::sh},
        {"v", "nnnn", C::PathConstruction},
        {"w", "n", C::GeneralState},
        {"y", "nnnn", C::PathConstruction},
    }};
    return table;
}

constexpr std::array<TOperator, 73> TheTable = MakeTable();

constexpr std::array<TSlot, size_t{1} << HashBits> MakeSlots() {
    std::array<TSlot, size_t{1} << HashBits> slots{};
    for (size_t i = 0; i < TheTable.size(); ++i) slots[Slot(Key(TheTable[i].Name))] = {Key(TheTable[i].Name), static_cast<uint8_t>(i)};
    return slots;
}

constexpr std::array<TSlot, size_t{1} << HashBits> TheSlots = MakeSlots();

constexpr bool EachOperatorHasASlot() {
    for (size_t i = 0; i < TheTable.size(); ++i)
        if (TheSlots[Slot(Key(TheTable[i].Name))].Index != i) return false;
    return true;
}
static_assert(EachOperatorHasASlot(), "the multiplier sends two operators to one slot");

}  // namespace

namespace operator_detail {
constexpr std::array<TSlot, size_t{1} << HashBits> Slots = TheSlots;
constexpr std::array<TOperator, OperatorCount> Table = TheTable;
}  // namespace operator_detail

std::span<const TOperator> AllOperators() { return operator_detail::Table; }

}  // namespace lumerra::check
