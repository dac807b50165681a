// /ASCIIHexDecode: both entry points against a model written from the
// filter's rules (pairs of digits, a lone digit lost with the byte after it,
// an odd final digit dropped, the scan ended by a zero byte).
#include <cstdint>
#include <string>

#include "filters/AsciiDecode.h"
#include "fuzz/FuzzSupport.h"

using namespace lumerra;
using namespace lumerra::fuzz;

namespace {

int HexValue(uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string Model(const uint8_t* Data, size_t Size) {
    std::string out;
    for (size_t i = 0; i < Size && Data[i] != 0;) {
        const int high = HexValue(Data[i]);
        if (high < 0) {
            ++i;
            continue;
        }
        if (i + 1 >= Size || Data[i + 1] == 0) break;
        const int low = HexValue(Data[i + 1]);
        if (low >= 0) out += static_cast<char>(high << 4 | low);
        i += 2;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const auto length = static_cast<int32_t>(Size);
    const std::string decoded = DecodeASCIIHex(Data, length);
    Require(decoded.size() <= Size / 2, "at most one byte per two digits");
    Require(decoded == Model(Data, Size), "hexadecimal decoding follows its rules");

    TMemoryStream memory;
    memory.WriteBuffer("stale", 5);
    DecodeASCIIHexToMemory(Data, length, memory);
    Require(memory.Position() == 0, "the memory output is left at its start");
    Require(Bytes(memory) == decoded, "both entry points agree");

    // A shorter length reads no further than it says.
    const int32_t half = length / 2;
    Require(DecodeASCIIHex(Data, half) == Model(Data, static_cast<size_t>(half)), "a length limits the scan");
    return 0;
}
