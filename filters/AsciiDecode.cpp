#include "filters/AsciiDecode.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <memory>

#include "syntax/CharClass.h"

namespace lumerra {

namespace {

// ------------------------------------------------------------ hexadecimal

// A digit's value, -1 for any other byte, and EndOfHex for the zero byte,
// which ends the data.
constexpr int8_t EndOfHex = -2;

constexpr std::array<int8_t, 256> MakeHexTable() {
    std::array<int8_t, 256> table{};
    for (int c = 0; c < 256; ++c) table[c] = static_cast<int8_t>(HexDigitValue(static_cast<uint8_t>(c)));
    table[0] = EndOfHex;
    return table;
}

constexpr std::array<int8_t, 256> HexTable = MakeHexTable();

// Decodes into Out, which holds at least Length / 2 bytes; returns the count.
int32_t DecodeHexInto(const uint8_t* Data, int32_t Length, uint8_t* Out) {
    uint8_t* out = Out;
    int32_t i = 0;
    while (i < Length) {
        const int8_t high = HexTable[Data[i]];
        if (high < 0) {
            if (high == EndOfHex) break;
            ++i;
            continue;
        }
        if (i + 1 >= Length) break;  // an odd final digit is not padded
        const int8_t low = HexTable[Data[i + 1]];
        if (low == EndOfHex) break;
        // A digit followed by anything else is lost together with it.
        if (low >= 0) *out++ = static_cast<uint8_t>(high << 4 | low);
        i += 2;
    }
    return static_cast<int32_t>(out - Out);
}

// ---------------------------------------------------------------- base 85

constexpr std::array<uint32_t, 5> PlaceValues = {52200625, 614125, 7225, 85, 1};

void StoreBigEndian(uint8_t* Out, uint32_t Value) {
    Out[0] = static_cast<uint8_t>(Value >> 24);
    Out[1] = static_cast<uint8_t>(Value >> 16);
    Out[2] = static_cast<uint8_t>(Value >> 8);
    Out[3] = static_cast<uint8_t>(Value);
}

int64_t CountByte(const uint8_t* Data, int32_t Length, uint8_t Byte) {
    int64_t count = 0;
    const uint8_t* p = Data;
    const uint8_t* end = Data + Length;
    while (p < end) {
        p = static_cast<const uint8_t*>(std::memchr(p, Byte, static_cast<size_t>(end - p)));
        if (p == nullptr) break;
        ++count;
        ++p;
    }
    return count;
}

// The most bytes the data can decode to: four for each "z", four for each
// whole group of the other bytes, three for an open group.
int32_t ASCII85Bound(const uint8_t* Data, int32_t Length) {
    if (Length <= 0) return 0;
    const int64_t zeros = CountByte(Data, Length, 'z');
    const int64_t bound = 4 * zeros + 4 * ((Length - zeros) / 5) + 3;
    if (bound > INT32_MAX) throw Exception("Decoded data would reach 2 GiB");
    return static_cast<int32_t>(bound);
}

// Decodes into Out, which holds ASCII85Bound bytes; returns the count, or -1
// when the data is void.
int32_t DecodeASCII85Into(const uint8_t* Data, int32_t Length, uint8_t* Out) {
    uint8_t* out = Out;
    uint32_t value = 0;  // wraps modulo 2^32, as the group arithmetic may
    int n = 0;
    for (int32_t i = 0; i < Length; ++i) {
        const uint8_t c = Data[i];
        if (c >= '!' && c <= 'u') {
            value += static_cast<uint32_t>(c - '!') * PlaceValues[n];
            if (++n == 5) {
                StoreBigEndian(out, value);
                out += 4;
                value = 0;
                n = 0;
            }
        } else if (c == 'z') {
            if (n != 0) return -1;
            StoreBigEndian(out, 0);
            out += 4;
        } else if (c == '~') {
            if (i + 1 >= Length || Data[i + 1] != '>') return -1;
            if (n > 0) {
                // One unit in the place of the last digit given rounds the
                // truncated group up past the encoder's zero padding.
                value += PlaceValues[n - 1];
                for (int k = 0; k < n - 1; ++k) *out++ = static_cast<uint8_t>(value >> (24 - 8 * k));
            }
            break;
        }
        // Anything else (white space, "v" to "y", "{" to "}", ...) is passed over.
    }
    return static_cast<int32_t>(out - Out);
}

}  // namespace

std::string DecodeASCIIHex(const uint8_t* Data, int32_t Length) {
    if (Length <= 0) return {};
    std::string result(static_cast<size_t>(Length / 2), '\0');
    result.resize(static_cast<size_t>(DecodeHexInto(Data, Length, reinterpret_cast<uint8_t*>(result.data()))));
    return result;
}

void DecodeASCIIHexToMemory(const uint8_t* Data, int32_t Length, TMemoryStream& Output) {
    Output.SetSize(0);
    if (Length > 0) {
        Output.SetSize(Length / 2);
        Output.SetSize(DecodeHexInto(Data, Length, Output.Memory()));
    }
    Output.SetPosition(0);
}

void DecodeASCII85(const uint8_t* Data, int32_t Length, TStream& Output) {
    const int32_t bound = ASCII85Bound(Data, Length);
    if (bound == 0) return;
    const auto buffer = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(bound));
    const int32_t count = DecodeASCII85Into(Data, Length, buffer.get());
    if (count > 0) Output.WriteBuffer(buffer.get(), count);
}

void DecodeASCII85ToMemory(const uint8_t* Data, int32_t Length, TMemoryStream& Output) {
    Output.SetSize(0);
    const int32_t bound = ASCII85Bound(Data, Length);
    if (bound > 0) {
        Output.SetSize(bound);
        Output.SetSize(std::max(0, DecodeASCII85Into(Data, Length, Output.Memory())));
    }
    Output.SetPosition(0);
}

}  // namespace lumerra
