#include "check/OperatorTable.h"

#include <algorithm>
#include <array>

namespace lumerra::check {

namespace {

using C = TOperatorClass;

// ISO 32000-2:2020, Annex A, Table A.1: all 73 operators, sorted by their
// bytes for the binary search below.
constexpr std::array<TOperator, 73> MakeTable() {
    std::array<TOperator, 73> table = {{
        {"\"", "nns", C::TextShowing},
        {"'", "s", C::TextShowing},
        {"B", "", C::PathPainting},
        {"B*", "", C::PathPainting},
        {"BDC", "/d", C::MarkedContent},
        {"BI", "", C::InlineImage},
        {"BMC", "/", C::MarkedContent},
        {"BT", "", C::TextObject},
        {"BX", "", C::Compatibility},
        {"CS", "/", C::Colour},
        {"DP", "/d", C::MarkedContent},
        {"Do", "/", C::XObject},
        {"EI", "", C::InlineImage},
        {"EMC", "", C::MarkedContent},
        {"ET", "", C::TextObject},
        {"EX", "", C::Compatibility},
        {"F", "", C::PathPainting},
        {"G", "n", C::Colour},
        {"ID", "", C::InlineImage},
        {"J", "i", C::GeneralState},
        {"K", "nnnn", C::Colour},
        {"M", "n", C::GeneralState},
        {"MP", "/", C::MarkedContent},
        {"Q", "", C::SpecialState},
        {"RG", "nnn", C::Colour},
        {"S", "", C::PathPainting},
        {"SC", "", C::Colour, true},
        {"SCN", "", C::Colour, true},
        {"T*", "", C::TextPositioning},
        {"TD", "nn", C::TextPositioning},
        {"TJ", "a", C::TextShowing},
        {"TL", "n", C::TextState},
        {"Tc", "n", C::TextState},
        {"Td", "nn", C::TextPositioning},
        {"Tf", "/n", C::TextState},
        {"Tj", "s", C::TextShowing},
        {"Tm", "nnnnnn", C::TextPositioning},
        {"Tr", "i", C::TextState},
        {"Ts", "n", C::TextState},
        {"Tw", "n", C::TextState},
        {"Tz", "n", C::TextState},
        {"W", "", C::Clipping},
        {"W*", "", C::Clipping},
        {"b", "", C::PathPainting},
        {"b*", "", C::PathPainting},
        {"c", "nnnnnn", C::PathConstruction},
        {"cm", "nnnnnn", C::SpecialState},
        {"cs", "/", C::Colour},
        {"d", "an", C::GeneralState},
        {"d0", "nn", C::Type3},
        {"d1", "nnnnnn", C::Type3},
        {"f", "", C::PathPainting},
        {"f*", "", C::PathPainting},
        {"g", "n", C::Colour},
        {"gs", "/", C::GeneralState},
        {"h", "", C::PathConstruction},
        {"i", "n", C::GeneralState},
        {"j", "i", C::GeneralState},
        {"k", "nnnn", C::Colour},
        {"l", "nn", C::PathConstruction},
        {"m", "nn", C::PathConstruction},
        {"n", "", C::PathPainting},
        {"q", "", C::SpecialState},
        {"re", "nnnn", C::PathConstruction},
        {"rg", "nnn", C::Colour},
        {"ri", "/", C::GeneralState},
        {"s", "", C::PathPainting},
        {"sc", "", C::Colour, true},
        {"scn", "", C::Colour, true},
        {"sh", "/", C::Shading},
        {"v", "nnnn", C::PathConstruction},
        {"w", "n", C::GeneralState},
        {"y", "nnnn", C::PathConstruction},
    }};
    return table;
}

constexpr std::array<TOperator, 73> Table = MakeTable();

static_assert(std::is_sorted(Table.begin(), Table.end(),
                             [](const TOperator& a, const TOperator& b) { return a.Name < b.Name; }),
              "the table is searched by name");

}  // namespace

const TOperator* FindOperator(std::string_view Name) {
    const auto at = std::lower_bound(Table.begin(), Table.end(), Name,
                                     [](const TOperator& entry, std::string_view name) { return entry.Name < name; });
    return at != Table.end() && at->Name == Name ? &*at : nullptr;
}

std::span<const TOperator> AllOperators() { return Table; }

}  // namespace lumerra::check
