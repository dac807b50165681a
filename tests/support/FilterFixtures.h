// Fixtures for the filter tests: encoders for the three filters, damaged
// zlib data and streams that record or refuse what is written to them.
#pragma once

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/Stream.h"
#include "support/PdfBuilder.h"

namespace lumerra::test {

inline std::string Contents(TMemoryStream& S) {
    return std::string(reinterpret_cast<const char*>(S.Memory()), static_cast<size_t>(S.Size()));
}

inline void Load(TMemoryStream& S, const std::string& Bytes, int32_t Position = 0) {
    S.SetSize(0);
    S.WriteBuffer(Bytes.data(), static_cast<int32_t>(Bytes.size()));
    S.SetPosition(Position);
}

// Text-drawing operators with varying numbers: compresses about as well as
// real page content.
inline std::string ContentText(size_t Size, unsigned Seed = 1) {
    std::mt19937 random(Seed);
    std::string text;
    text.reserve(Size + 64);
    while (text.size() < Size) {
        text += "BT /F" + std::to_string(random() % 4 + 1) + " " + std::to_string(random() % 20 + 6) + " Tf " +
                std::to_string(random() % 540 + 36) + " " + std::to_string(random() % 720 + 36) + " Td (Hello" +
                std::to_string(random() % 1000) + ") Tj ET\n";
    }
    text.resize(Size);
    return text;
}

inline std::string RandomBytes(size_t Size, unsigned Seed = 2) {
    std::mt19937 random(Seed);
    std::string bytes(Size, '\0');
    for (auto& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

// Deflate data with a zlib header (WindowBits 15) or without (-15).
inline std::string DeflateWith(const std::string& Data, int WindowBits, const std::string& Dictionary = "") {
    z_stream z{};
    if (deflateInit2(&z, 6, Z_DEFLATED, WindowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    if (!Dictionary.empty())
        deflateSetDictionary(&z, reinterpret_cast<const Bytef*>(Dictionary.data()), static_cast<uInt>(Dictionary.size()));
    std::string out(deflateBound(&z, static_cast<uLong>(Data.size())) + 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(Data.data()));
    z.avail_in = static_cast<uInt>(Data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    if (result != Z_STREAM_END) throw std::runtime_error("deflate failed");
    return out;
}

// A zlib stream whose first part inflates to Good and whose next block has
// the invalid block type 3: inflate fails right after Good.
inline std::string DeflateThenBadBlock(const std::string& Good) {
    z_stream z{};
    if (deflateInit(&z, 6) != Z_OK) throw std::runtime_error("deflateInit failed");
    std::string out(deflateBound(&z, static_cast<uLong>(Good.size())) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(Good.data()));
    z.avail_in = static_cast<uInt>(Good.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FULL_FLUSH);  // ends byte-aligned after an empty stored block
    out.resize(z.total_out);
    deflateEnd(&z);
    return out + "\x07" + std::string(16, '\0');  // BFINAL 1, BTYPE 11
}

inline std::string EncodeHex(const std::string& Bytes) {
    static const char Digits[] = "0123456789ABCDEF";
    std::string text;
    for (const unsigned char c : Bytes) {
        text += Digits[c >> 4];
        text += Digits[c & 15];
    }
    return text;
}

// Plain base-85 without "z" and without the "~>" marker: a final group of k
// bytes is padded with zeros and gives its first k + 1 digits.
inline std::string EncodeASCII85(const std::string& Bytes) {
    std::string text;
    for (size_t i = 0; i < Bytes.size(); i += 4) {
        const size_t k = std::min<size_t>(4, Bytes.size() - i);
        uint32_t value = 0;
        for (size_t j = 0; j < 4; ++j)
            value = value << 8 | (j < k ? static_cast<unsigned char>(Bytes[i + j]) : 0u);
        char digits[5];
        for (int j = 4; j >= 0; --j) {
            digits[j] = static_cast<char>('!' + value % 85);
            value /= 85;
        }
        text.append(digits, k + 1);
    }
    return text;
}

// Keeps every write apart, so that tests can count them.
class TRecordingStream final : public TStream {
public:
    int32_t Read(void*, int32_t) override { return 0; }
    int32_t Write(const void* buffer, int32_t count) override {
        Writes.emplace_back(static_cast<const char*>(buffer), static_cast<size_t>(count));
        FPosition += count;
        return count;
    }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override {
        if (origin != TSeekOrigin::soCurrent || offset != 0) throw EStreamError("Invalid stream operation");
        return FPosition;
    }
    std::string All() const {
        std::string all;
        for (const auto& w : Writes) all += w;
        return all;
    }

    std::vector<std::string> Writes;

private:
    int32_t FPosition = 0;
};

// An output on a full disk.
class TFailingStream final : public TStream {
public:
    int32_t Read(void*, int32_t) override { return 0; }
    int32_t Write(const void*, int32_t) override { throw EWriteError("disk full"); }
    int64_t Seek(int64_t, TSeekOrigin) override { return 0; }
};

}  // namespace lumerra::test
