#include "filters/RunLength.h"

#include <algorithm>

namespace lumerra {

TDecodeEnd DecodeRunLength(const uint8_t* Data, int32_t Length, TStream& Output, int32_t MaxOutput) {
    constexpr uint8_t EndOfData = 128;
    TCappedOutput out(Output, MaxOutput);
    int32_t i = 0;
    while (i < Length) {
        const uint8_t n = Data[i++];
        if (n == EndOfData) return out.Finish(TDecodeEnd::Complete);
        if (n < EndOfData) {
            const int32_t count = std::min<int32_t>(n + 1, Length - i);
            if (!out.Append(Data + i, count)) return out.Finish(TDecodeEnd::Capped);
            i += count;
        } else {
            if (i == Length) break;
            if (!out.Repeat(Data[i++], 257 - n)) return out.Finish(TDecodeEnd::Capped);
        }
    }
    return out.Finish(TDecodeEnd::Truncated);
}

}  // namespace lumerra
