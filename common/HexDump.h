// Bytes as a hex dump for a person reading them: "show --hex" and the
// object browser's stream view write the same lines.
#pragma once

#include <string>
#include <string_view>

namespace lumerra {

// "00000000  48 65 6c 6c 6f ...  |Hello...|", 16 bytes a line, each line
// ended by a line feed.
std::string HexDump(std::string_view Bytes);

}  // namespace lumerra
