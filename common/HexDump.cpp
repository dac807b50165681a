#include "common/HexDump.h"

#include <cstdint>
#include <cstdio>

namespace lumerra {

std::string HexDump(std::string_view Bytes) {
    std::string text;
    char field[32];
    for (size_t line = 0; line < Bytes.size(); line += 16) {
        std::snprintf(field, sizeof field, "%08zx ", line);
        text += field;
        std::string shown;
        for (size_t i = line; i < line + 16; ++i) {
            if (i < Bytes.size()) {
                const auto byte = static_cast<uint8_t>(Bytes[i]);
                std::snprintf(field, sizeof field, " %02x", byte);
                text += field;
                shown += byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '.';
            } else {
                text += "   ";
            }
        }
        text += "  |" + shown + "|\n";
    }
    return text;
}

}  // namespace lumerra
