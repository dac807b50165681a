#include "filters/RunLength.h"

#include <algorithm>
#include <cstring>

namespace lumerra {

size_t TRunLengthStage::Read(std::span<uint8_t> Out) {
    constexpr uint8_t EndOfData = 128;
    size_t done = 0;
    while (done < Out.size()) {
        const size_t room = Out.size() - done;
        if (FRepeat > 0) {
            const size_t n = std::min<size_t>(room, static_cast<size_t>(FRepeat));
            std::memset(Out.data() + done, FByte, n);
            FRepeat -= static_cast<int32_t>(n);
            done += n;
            continue;
        }
        if (Done()) break;
        if (FCopy > 0) {
            const std::span<const uint8_t> at = Input().Peek();
            if (at.empty()) {
                Fail(TMessageCode::RunLengthFailed, Input().Offset());
                break;
            }
            const size_t n = std::min({room, static_cast<size_t>(FCopy), at.size()});
            std::memcpy(Out.data() + done, at.data(), n);
            Input().Consume(n);
            FCopy -= static_cast<int32_t>(n);
            done += n;
            continue;
        }
        uint8_t length;
        if (!Input().Next(length)) {
            Fail(TMessageCode::RunLengthFailed, Input().Offset());
        } else if (length == EndOfData) {
            Finish();
        } else if (length < EndOfData) {
            FCopy = length + 1;
        } else if (Input().Next(FByte)) {
            FRepeat = 257 - length;
        } else {
            Fail(TMessageCode::RunLengthFailed, Input().Offset());
        }
    }
    return done;
}

}  // namespace lumerra
