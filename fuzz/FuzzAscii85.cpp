// /ASCII85Decode: both entry points against a model written from the
// filter's rules (groups of five digits, "z" for four zero bytes, "~>" ends
// and rounds an open group up, a misplaced "z" or a lone "~" voids it all).
#include <cstdint>
#include <string>

#include "filters/AsciiDecode.h"
#include "fuzz/FuzzSupport.h"

using namespace lumerra;
using namespace lumerra::fuzz;

namespace {

std::string Model(const uint8_t* Data, size_t Size) {
    static constexpr uint32_t Place[5] = {52200625, 614125, 7225, 85, 1};
    std::string out;
    uint32_t value = 0;
    int n = 0;
    bool error = false;
    auto put = [&out](uint32_t v, int count) {
        for (int k = 0; k < count; ++k) out += static_cast<char>(v >> (24 - 8 * k));
    };
    for (size_t i = 0; i < Size; ++i) {
        const uint8_t c = Data[i];
        if (c == 'z') {
            if (n == 0)
                put(0, 4);
            else
                error = true;
        } else if (c == '~') {
            if (i + 1 < Size && Data[i + 1] == '>') {
                if (n > 0) put(value + Place[n - 1], n - 1);
            } else {
                error = true;
            }
            break;
        } else if (c >= '!' && c <= 'u') {
            value += static_cast<uint32_t>(c - '!') * Place[n];
            if (++n == 5) {
                put(value, 4);
                value = 0;
                n = 0;
            }
        }
    }
    return error ? std::string() : out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const auto length = static_cast<int32_t>(Size);
    const std::string expected = Model(Data, Size);

    TMemoryStream direct;
    DecodeASCII85(Data, length, direct);
    Require(Bytes(direct) == expected, "base-85 decoding follows its rules");

    TMemoryStream memory;
    memory.WriteBuffer("stale", 5);
    DecodeASCII85ToMemory(Data, length, memory);
    Require(memory.Position() == 0, "the memory output is left at its start");
    Require(Bytes(memory) == expected, "both entry points agree");

    TMemoryStream shorter;
    DecodeASCII85(Data, length / 2, shorter);
    Require(Bytes(shorter) == Model(Data, Size / 2), "a length limits the scan");
    return 0;
}
