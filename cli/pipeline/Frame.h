// What a worker process tells its parent over a pipe: frames of a kind byte
// and a few byte strings, so that any bytes (a report, a message) pass as
// they are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumerra::cli::pipeline {

struct TFrame {
    char Kind = 0;
    std::vector<std::string> Fields;
};

// Kind, the number of fields (4 bytes), then each field's length (8 bytes)
// and bytes; numbers little-endian.
std::string EncodeFrame(const TFrame& Frame);

// Gathers the bytes read from a pipe and gives the frames whole.
class TFrameReader {
public:
    void Feed(std::string_view Bytes) { FBuffer.append(Bytes); }
    // The next whole frame; nothing until all its bytes have come.
    std::optional<TFrame> Next();

private:
    std::string FBuffer;
    size_t FStart = 0;
};

// Writes all of Bytes to Fd, again after an interruption; false when the
// pipe or file refused them.
bool WriteAll(int Fd, std::string_view Bytes);

}  // namespace lumerra::cli::pipeline
