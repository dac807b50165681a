// /LZWDecode: the LZW stage against a model that keeps its table as strings and
// reads the codes bit by bit, under a cap taken from the input; and data
// written by a model encoder must come back whole.
//
// Input: a flags byte (bit 0 EarlyChange, bit 1 encode the rest instead of
// decoding it, bit 2 clear the encoder's table when full, bit 3 no end
// marker, bits 4-7 nonzero: a cap byte follows, else the cap is 1 MiB),
// then the data. The model stops past the cap: a few kilobytes of codes can
// ask for hundreds of megabytes.
#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "fuzz/FuzzDecoders.h"

using namespace lumerra;
using namespace lumerra::fuzz;

namespace {

constexpr int Clear = 256, End = 257, TableSize = 4096;

// The width of the next code read while the table holds Entries entries.
int WidthFor(int Entries, bool EarlyChange) {
    const int n = Entries + (EarlyChange ? 1 : 0);
    return n >= 2048 ? 12 : n >= 1024 ? 11 : n >= 512 ? 10 : 9;
}

struct TModel {
    std::string Bytes;
    TDecodeEnd End;
};

// The models need no coverage feedback, and run faster without its tracing.
#define LUMERRA_MODEL __attribute__((no_sanitize("coverage")))

LUMERRA_MODEL TModel Decode(const uint8_t* Data, size_t Size, bool EarlyChange, size_t Cap) {
    std::vector<std::string> table;
    auto reset = [&table] {
        table.assign(258, std::string());  // 256 and 257 are never looked up
        for (int c = 0; c < 256; ++c) table[c] = std::string(1, static_cast<char>(c));
    };
    reset();
    std::string out, previous;
    size_t bit = 0;
    for (;;) {
        const int width = WidthFor(static_cast<int>(table.size()), EarlyChange);
        if (bit + width > Size * 8) return {out, TDecodeEnd::Truncated};
        int code = 0;
        for (int i = 0; i < width; ++i, ++bit) code = code << 1 | (Data[bit / 8] >> (7 - bit % 8) & 1);
        if (code == Clear) {
            reset();
            previous.clear();
            continue;
        }
        if (code == End) return {out, TDecodeEnd::Complete};
        std::string entry;
        if (code < static_cast<int>(table.size()))
            entry = table[code];
        else if (code == static_cast<int>(table.size()) && !previous.empty())
            entry = previous + previous[0];
        else
            return {out, TDecodeEnd::Invalid};
        if (!previous.empty() && table.size() < TableSize) table.push_back(previous + entry[0]);
        out += entry;
        if (out.size() > Cap) return {out, TDecodeEnd::Capped};
        previous = entry;
    }
}

// Writes each code at the width the decoder will read it with: the decoder
// makes an entry on every code but the first after a clear.
LUMERRA_MODEL std::string Encode(const std::string& Data, bool EarlyChange, bool ClearWhenFull, bool EndMarker) {
    std::string out;
    uint32_t pending = 0;
    int pendingBits = 0;
    auto put = [&](int Code, int Width) {
        for (int i = Width - 1; i >= 0; --i) {
            pending = pending << 1 | (Code >> i & 1);
            if (++pendingBits == 8) {
                out += static_cast<char>(pending);
                pending = pendingBits = 0;
            }
        }
    };
    std::unordered_map<int, int> table;  // code << 8 | byte -> code of the string one byte longer
    table.reserve(TableSize);
    int encoderSize = 258, decoderSize = 258;
    bool first = true;
    auto clear = [&] {
        put(Clear, WidthFor(decoderSize, EarlyChange));
        table.clear();
        encoderSize = decoderSize = 258;
        first = true;
    };
    auto emit = [&](int Code) {
        put(Code, WidthFor(decoderSize, EarlyChange));
        if (!first && decoderSize < TableSize) ++decoderSize;
        first = false;
    };
    clear();
    int w = -1;  // the code of the string matched so far
    for (const char ch : Data) {
        const uint8_t c = static_cast<uint8_t>(ch);
        if (w < 0) {
            w = c;
            continue;
        }
        const auto longer = table.find(w << 8 | c);
        if (longer != table.end()) {
            w = longer->second;
            continue;
        }
        emit(w);
        if (encoderSize < TableSize) table[w << 8 | c] = encoderSize++;
        w = c;
        if (ClearWhenFull && encoderSize == TableSize) clear();
    }
    if (w >= 0) emit(w);
    if (EndMarker) put(End, WidthFor(decoderSize, EarlyChange));
    if (pendingBits > 0) out += static_cast<char>(pending << (8 - pendingBits));
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const uint8_t flags = TakeByte(Data, Size);
    const bool early = flags & 1;
    int32_t cap = 1 << 20;
    if (flags >> 4) cap = TakeByte(Data, Size) * 16 + (flags >> 4);

    if (flags & 2) {
        const std::string data(reinterpret_cast<const char*>(Data), Size);
        const bool endMarker = !(flags & 8);
        const std::string coded = Encode(data, early, flags & 4, endMarker);
        TMemoryStream out;
        const auto damage = ApplyExtendedFilters({reinterpret_cast<const uint8_t*>(coded.data()), coded.size()},
                                                 {{"/LZWDecode", {.EarlyChange = early}}}, out);
        Require(Bytes(out) == data, "encoded data comes back whole");
        Require(damage.empty() == endMarker, "the end marker ends the data");
        return 0;
    }

    const TModel model = Decode(Data, Size, early, static_cast<size_t>(cap));
    RequireModelOutput(Data, Size, {{"/LZWDecode", {.EarlyChange = early}}}, cap, model.Bytes, model.End);
    return 0;
}
