// The stream reader with every filter chain: ReadStreamData over a source
// that stands just after "stream", with a filter list and a /Length chosen
// by the first two bytes of the input. Only a read error at the end of the
// source may leave it, and the source is left where the reader's rules say.
#include <climits>
#include <cstdint>
#include <string>

#include "common/StrUtils.h"
#include "filters/FilterChain.h"
#include "fuzz/FuzzSupport.h"
#include "pdf/StreamData.h"

using namespace lumerra;
using namespace lumerra::fuzz;

namespace {

const TStringList FilterLists[] = {
    {},
    {"/ASCIIHexDecode"},
    {"/ASCII85Decode"},
    {"/FlateDecode"},
    {"/ASCIIHexDecode", "/FlateDecode"},
    {"/ASCII85Decode", "/FlateDecode"},
    {"/FlateDecode", "/ASCII85Decode"},
    {"/FlateDecode", "/FlateDecode"},
    {"/ASCII85Decode", "/ASCIIHexDecode", "/FlateDecode"},
    {"/LZWDecode"},
    {"/ASCIIHexDecode", "/DCTDecode"},
    {"/Fl"},
};
constexpr int ListCount = sizeof FilterLists / sizeof FilterLists[0];

// Lengths around the data's own size, and the hostile ones.
int32_t ChooseLength(uint8_t Selector, int32_t DataSize) {
    switch (Selector % 8) {
        case 0: return DataSize;
        case 1: return DataSize - 1 - Selector / 8 % 4;
        case 2: return DataSize + 1 + Selector / 8 % 4;
        case 3: return 0;
        case 4: return -1 - Selector / 8;
        case 5: return INT32_MAX;
        case 6: return INT32_MIN;
        default: return Selector / 8;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const uint8_t listSelector = TakeByte(Data, Size);
    const uint8_t lengthSelector = TakeByte(Data, Size);
    const TStringList& filters = FilterLists[listSelector % ListCount];
    auto source = MemoryOf(Data, Size);
    const auto size = static_cast<int32_t>(Size);
    const int32_t length = ChooseLength(lengthSelector, size);

    TMemoryStream output;
    output.WriteBuffer("kept", 4);
    bool readError = false;
    try {
        ReadStreamData(*source, output, length, filters);
    } catch (const EReadError&) {
        readError = true;
    }
    const std::string_view out = Bytes(output);
    Require(out.substr(0, 4) == "kept", "the reader only appends");
    const int32_t position = source->Position();
    Require(position >= 0 && position <= size, "the source stays inside its bytes");

    if (length <= 0) {
        Require(!readError && position == 0 && out.size() == 4, "a length of 0 or less reads nothing");
        return 0;
    }
    // The line end after "stream" is read exactly, whatever the filters.
    const bool lineEndMissing = Size == 0 || (Size == 1 && Data[0] == '\r');
    if (readError) {
        Require(!filters.empty() || lineEndMissing, "an unfiltered copy ignores a short file");
        Require(out.size() == 4, "a read error appends nothing");
        return 0;
    }
    // The end of line after "stream": CR LF, or any one byte.
    const int32_t dataStart = Size >= 2 && Data[0] == '\r' && Data[1] == '\n' ? 2 : 1;
    if (filters.empty()) {
        Require(static_cast<int64_t>(out.size()) - 4 == std::min<int64_t>(length, size - dataStart),
                "an unfiltered stream copies what is there of its length");
        Require(position == std::min<int64_t>(int64_t{dataStart} + length, size), "the copy ends after its data");
        return 0;
    }
    if (!FiltersSupported(filters)) {
        Require(out.size() == 4 && position == dataStart, "an unknown filter leaves the data unread");
        return 0;
    }
    Require(position > dataStart, "a filtered stream's data and the token after it are read");
    // Chains other than the five known ones decode nothing.
    if (listSelector % ListCount >= 6) Require(out.size() == 4, "an unsupported chain appends nothing");
    return 0;
}
