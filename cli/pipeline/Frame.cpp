#include "cli/pipeline/Frame.h"

#include <unistd.h>

#include <cerrno>

namespace lumerra::cli::pipeline {

namespace {

void PutNumber(std::string& Out, uint64_t Value, int Bytes) {
    for (int i = 0; i < Bytes; ++i) Out += static_cast<char>((Value >> (8 * i)) & 0xFF);
}

uint64_t GetNumber(std::string_view In, int Bytes) {
    uint64_t value = 0;
    for (int i = Bytes - 1; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(In[static_cast<size_t>(i)]);
    return value;
}

}  // namespace

std::string EncodeFrame(const TFrame& Frame) {
    std::string bytes(1, Frame.Kind);
    PutNumber(bytes, Frame.Fields.size(), 4);
    for (const std::string& field : Frame.Fields) {
        PutNumber(bytes, field.size(), 8);
        bytes += field;
    }
    return bytes;
}

std::optional<TFrame> TFrameReader::Next() {
    const std::string_view rest = std::string_view(FBuffer).substr(FStart);
    if (rest.size() < 5) return std::nullopt;
    TFrame frame{rest[0], {}};
    const uint64_t count = GetNumber(rest.substr(1), 4);
    size_t at = 5;
    for (uint64_t i = 0; i < count; ++i) {
        if (rest.size() - at < 8) return std::nullopt;
        const uint64_t length = GetNumber(rest.substr(at), 8);
        at += 8;
        if (rest.size() - at < length) return std::nullopt;
        frame.Fields.emplace_back(rest.substr(at, length));
        at += length;
    }
    FStart += at;
    // Bytes already given are dropped once they are most of the buffer.
    if (FStart > FBuffer.size() / 2) {
        FBuffer.erase(0, FStart);
        FStart = 0;
    }
    return frame;
}

bool WriteAll(int Fd, std::string_view Bytes) {
    while (!Bytes.empty()) {
        const ssize_t n = ::write(Fd, Bytes.data(), Bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        Bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

}  // namespace lumerra::cli::pipeline
