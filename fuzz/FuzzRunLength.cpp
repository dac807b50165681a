// /RunLengthDecode: the RunLength stage against a byte-by-byte model, under a cap
// taken from the input.
//
// Input: a cap byte (0: the default cap, else the cap is its value times
// 17), then the data.
#include <cstdint>
#include <string>

#include "fuzz/FuzzDecoders.h"

using namespace lumerra;
using namespace lumerra::fuzz;

namespace {

struct TModel {
    std::string Bytes;
    TDecodeEnd End = TDecodeEnd::Truncated;
};

TModel Decode(const uint8_t* Data, size_t Size) {
    TModel m;
    size_t i = 0;
    while (i < Size) {
        const int n = Data[i++];
        if (n == 128) {
            m.End = TDecodeEnd::Complete;
            break;
        }
        if (n < 128) {
            for (int k = 0; k <= n && i < Size; ++k) m.Bytes += static_cast<char>(Data[i++]);
        } else if (i < Size) {
            m.Bytes.append(static_cast<size_t>(257 - n), static_cast<char>(Data[i++]));
        }
    }
    return m;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const uint8_t capByte = TakeByte(Data, Size);
    const int32_t cap = capByte == 0 ? MaxStreamOutput : capByte * 17;
    const TModel model = Decode(Data, Size);
    RequireModelOutput(Data, Size, {{"/RunLengthDecode", {}}}, cap, model.Bytes, model.End);
    return 0;
}
