// The fast inflate path against zlib's: for any data, DecodeFlate gives the
// bytes and the failure that the zlib path alone gives, with an inflater of
// its own and with one kept from input to input, as a decoding thread keeps it. The first byte
// chooses how the rest becomes Flate data: as it is, or compressed here and
// then damaged (a byte flipped, cut short, bytes appended), so that the clean
// and the nearly clean cases are reached, not only garbage.
#include <zlib.h>

#include <cstdint>
#include <functional>
#include <string>

#include "filters/FastInflate.h"
#include "filters/Flate.h"
#include "fuzz/FuzzSupport.h"

using namespace lumerra;
using namespace lumerra::fuzz;

namespace {

std::string Compressed(const uint8_t* Data, size_t Size, int Level) {
    uLongf length = compressBound(Size);
    std::string out(length, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &length, Data, Size, Level) != Z_OK) return {};
    out.resize(length);
    return out;
}

// The bytes a decoder appended and whether it failed, as one text.
std::string Outcome(const std::function<void(TStream&, TStream&)>& Decode, const std::string& Flate) {
    auto source = MemoryOf(reinterpret_cast<const uint8_t*>(Flate.data()), Flate.size());
    TMemoryStream output;
    std::string failure = "ok";
    try {
        Decode(*source, output);
    } catch (const Exception& e) {
        failure = e.Message();
    }
    return failure + "|" + std::string(Bytes(output));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const uint8_t mode = TakeByte(Data, Size);
    const uint8_t where = TakeByte(Data, Size);
    std::string flate = mode % 5 == 0 ? std::string(reinterpret_cast<const char*>(Data), Size)
                                      : Compressed(Data, Size, mode % 10);
    if (!flate.empty()) {
        const size_t at = where * flate.size() / 256;
        switch (mode % 5) {
            case 2: flate[at] = static_cast<char>(flate[at] ^ (mode | 1)); break;
            case 3: flate.resize(at); break;
            case 4: flate += std::string(where % 8 + 1, '\n'); break;
            default: break;
        }
    }
    // Kept across inputs: what one stream leaves in it must not reach the next.
    static TFastInflater kept;
    const std::string zlib = Outcome(DecodeFlateWithZlib, flate);
    Require(Outcome([](TStream& In, TStream& Out) { DecodeFlate(In, Out); }, flate) == zlib,
            "the fast path gives exactly what zlib gives");
    Require(Outcome([](TStream& In, TStream& Out) { DecodeFlate(In, Out, &kept); }, flate) == zlib,
            "a kept inflater gives exactly what zlib gives");
    return 0;
}
