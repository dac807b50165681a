#include "check/OperatorTable.h"

#include <array>

namespace lumerra::check {

namespace {

using C = TOperatorClass;

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

constexpr std::array<TOperator, 73> Table = MakeTable();

// Operators are one to three bytes long: each is looked up as a number made
// of its length and bytes. The bytes at 0, size/2 and size-1 are all three
// bytes of any name that short, and read without a branch (a loop over the
// bytes would mispredict its end on every other operator).
constexpr uint32_t Key(std::string_view Name) {
    const size_t size = Name.size();
    return static_cast<uint32_t>(size) << 24 | static_cast<uint32_t>(static_cast<uint8_t>(Name[0])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(Name[size / 2])) << 8 | static_cast<uint8_t>(Name[size - 1]);
}

constexpr std::array<uint32_t, 73> MakeKeys() {
    std::array<uint32_t, 73> keys{};
    for (size_t i = 0; i < Table.size(); ++i) keys[i] = Key(Table[i].Name);
    return keys;
}

constexpr std::array<uint32_t, 73> Keys = MakeKeys();

// A perfect hash over the keys, found at compile time: a multiplier that
// sends each key to a slot of its own, so that a lookup costs a
// multiplication and one comparison.
constexpr int HashBits = 10;
constexpr uint32_t Slot(uint32_t Key, uint32_t Multiplier) { return (Key * Multiplier) >> (32 - HashBits); }

constexpr uint32_t FindMultiplier() {
    for (uint32_t multiplier = 2654435761u;; multiplier += 2) {
        std::array<bool, size_t{1} << HashBits> taken{};
        bool distinct = true;
        for (const uint32_t key : Keys) {
            bool& slot = taken[Slot(key, multiplier)];
            if (slot) {
                distinct = false;
                break;
            }
            slot = true;
        }
        if (distinct) return multiplier;
    }
}

constexpr uint32_t Multiplier = FindMultiplier();

constexpr std::array<uint8_t, size_t{1} << HashBits> MakeHash() {
    std::array<uint8_t, size_t{1} << HashBits> slots{};
    for (uint8_t& slot : slots) slot = 0xFF;
    for (size_t i = 0; i < Keys.size(); ++i) slots[Slot(Keys[i], Multiplier)] = static_cast<uint8_t>(i);
    return slots;
}

constexpr std::array<uint8_t, size_t{1} << HashBits> Hash = MakeHash();

}  // namespace

const TOperator* FindOperator(std::string_view Name) {
    if (Name.empty() || Name.size() > 3) return nullptr;
    const uint32_t key = Key(Name);
    const uint8_t index = Hash[Slot(key, Multiplier)];
    return index != 0xFF && Keys[index] == key ? &Table[index] : nullptr;
}

std::span<const TOperator> AllOperators() { return Table; }

}  // namespace lumerra::check
