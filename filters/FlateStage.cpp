#include "filters/FlateStage.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace lumerra {

TFlateStage::TFlateStage(TStageInput Input) : TFilterStage(std::move(Input)) {
    if (inflateInit(&FZlib) != Z_OK) throw std::bad_alloc();
}

TFlateStage::~TFlateStage() { inflateEnd(&FZlib); }

size_t TFlateStage::Read(std::span<uint8_t> Out) {
    if (!FStarted) {
        FStarted = true;
        const std::span<const uint8_t> whole = Input().Whole();
        if (!whole.empty()) {
            auto fast = std::make_unique<TFastInflater>();
            if (fast->Inflate(whole.data(), whole.size())) {
                FFast = std::move(fast);
                Input().Consume(whole.size());
            }
        }
    }
    return FFast ? ReadFast(Out) : ReadZlib(Out);
}

size_t TFlateStage::ReadFast(std::span<uint8_t> Out) {
    const size_t n = std::min(Out.size(), FFast->OutputSize() - FFastGiven);
    std::memcpy(Out.data(), FFast->Output() + FFastGiven, n);
    FFastGiven += n;
    if (FFastGiven == FFast->OutputSize()) {
        FFast.reset();
        Finish();
    }
    return n;
}

size_t TFlateStage::ReadZlib(std::span<uint8_t> Out) {
    if (Done() || Out.empty()) return 0;
    FZlib.next_out = Out.data();
    FZlib.avail_out = static_cast<uInt>(std::min<size_t>(Out.size(), UINT32_MAX));
    while (FZlib.avail_out > 0) {
        const std::span<const uint8_t> at = Input().Peek();
        FZlib.next_in = const_cast<Bytef*>(at.data());
        FZlib.avail_in = static_cast<uInt>(std::min<size_t>(at.size(), UINT32_MAX));
        const uInt before = FZlib.avail_out;
        const int result = inflate(&FZlib, Z_NO_FLUSH);
        Input().Consume(at.size() - FZlib.avail_in);
        if (result == Z_STREAM_END) {
            Finish();
            break;
        }
        // No dictionary is ever supplied, so asking for one is damage.
        if (result == Z_NEED_DICT || (result < 0 && result != Z_BUF_ERROR)) {
            Fail(TMessageCode::FlateFailed, Input().Offset());
            break;
        }
        // No progress: at the end of the input, zlib has given all it held
        // (data cut short, no damage); before it, zlib is stuck.
        if (FZlib.avail_in == at.size() && FZlib.avail_out == before) {
            if (at.empty())
                Finish();
            else
                Fail(TMessageCode::FlateFailed, Input().Offset());
            break;
        }
    }
    return Out.size() - FZlib.avail_out;
}

}  // namespace lumerra
