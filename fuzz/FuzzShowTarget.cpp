// What "show" reads from the user and writes back: a WHAT typed on the
// command line is parsed or refused, never anything else; and any value the
// parser reads, written in PDF syntax, reads back as what was written.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "model/ObjectPath.h"
#include "syntax/Parser.h"
#include "syntax/ValueWriter.h"

using namespace lumerra;
using namespace lumerra::fuzz;

namespace {

// Past 2^53 a real's digits are not all its own: written and read again it
// may come back as a neighbour.
bool HoldsHugeNumber(const TValue& Value) {
    if (Value.Is(TValue::TKind::Real)) return Value.AsReal() > 9e15 || Value.AsReal() < -9e15;
    if (Value.Is(TValue::TKind::Array))
        for (const TValue& item : Value.Items())
            if (HoldsHugeNumber(item)) return true;
    if (Value.IsDictionary())
        for (const auto& entry : Value.Entries())
            if (HoldsHugeNumber(entry.second)) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const std::string_view text(reinterpret_cast<const char*>(Data), Size);
    if (const auto target = ParseShowTarget(text)) {
        Require(target->Kind != TShowTarget::TKind::Path || !target->Steps.empty(), "a path has steps");
        for (const std::string& step : target->Steps) Require(!step.empty(), "a step is never empty");
    }
    if (const auto value = ParseValue(std::span(Data, Size))) {
        const std::string written = WrittenValue(*value);
        const auto back = ParseValue(std::span(reinterpret_cast<const uint8_t*>(written.data()), written.size()));
        Require(back.has_value(), "what is written reads back");
        Require(HoldsHugeNumber(*value) || WrittenValue(*back) == written, "what is written reads back the same");
    }
    return 0;
}
