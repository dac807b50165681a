// /FlateDecode: DecodeFlate and the decompression source against zlib's own
// inflate over the whole input. Complete data must come out whole and raise
// nothing, truncated data gives what could be inflated, corrupt data raises
// the Flate failure after a prefix of the good bytes.
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "filters/Flate.h"
#include "filters/ZlibSource.h"
#include "fuzz/FuzzSupport.h"

using namespace lumerra;
using namespace lumerra::fuzz;

namespace {

enum class TEnd { Complete, Truncated, Corrupt };

// zlib's answer, inflating everything at once into one growing buffer.
TEnd Reference(const uint8_t* Data, size_t Size, std::string& Out) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) Violation("inflateInit failed");
    z.next_in = const_cast<Bytef*>(Data);
    z.avail_in = static_cast<uInt>(Size);
    TEnd end = TEnd::Truncated;
    std::vector<uint8_t> piece(1 << 16);
    for (;;) {
        z.next_out = piece.data();
        z.avail_out = static_cast<uInt>(piece.size());
        const int result = inflate(&z, Z_NO_FLUSH);
        Out.append(reinterpret_cast<const char*>(piece.data()), piece.size() - z.avail_out);
        if (result == Z_STREAM_END) {
            end = TEnd::Complete;
            break;
        }
        if (result == Z_NEED_DICT || (result < 0 && result != Z_BUF_ERROR)) {
            end = TEnd::Corrupt;
            break;
        }
        if (result == Z_BUF_ERROR || (z.avail_in == 0 && z.avail_out != 0)) break;
    }
    inflateEnd(&z);
    return end;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    std::string expected;
    const TEnd end = Reference(Data, Size, expected);

    auto source = MemoryOf(Data, Size);
    TMemoryStream output;
    bool failed = false;
    try {
        DecodeFlate(*source, output);
    } catch (const Exception& e) {
        Require(e.Message() == FlateFailureMessage, "a Flate failure has its one message");
        failed = true;
    }
    const std::string_view got = Bytes(output);
    if (end == TEnd::Corrupt) {
        Require(failed, "corrupt data raises");
        Require(expected.compare(0, got.size(), got) == 0, "what comes before a failure is good data");
    } else {
        Require(!failed, "complete or truncated data raises nothing");
        Require(got == expected, "inflated bytes are zlib's");
    }

    // Reading the stream in small pieces gives the same bytes.
    if (Size == 0) return 0;
    source->SetPosition(0);
    TDecompressionSource inflater(*source);
    const auto piece = static_cast<int32_t>(1 + (Data[0] * 131u + Size) % 4096);
    std::vector<uint8_t> buffer(static_cast<size_t>(piece));
    std::string pieces;
    for (;;) {
        const int32_t n = inflater.Read(buffer.data(), piece);
        if (n <= 0) break;
        Require(n <= piece, "a read fills at most the buffer");
        pieces.append(reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(n));
    }
    Require(expected.compare(0, pieces.size(), pieces) == 0, "piecewise reads give zlib's bytes");
    if (end != TEnd::Corrupt) Require(pieces == expected, "piecewise reads give all of zlib's bytes");
    return 0;
}
