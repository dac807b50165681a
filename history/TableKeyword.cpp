#include "history/TableKeyword.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "common/Stream.h"
#include "syntax/CharClass.h"

namespace lumerra {

namespace {

constexpr int64_t Window = 64 * 1024;
constexpr char Keyword[] = "xref";
constexpr int64_t KeywordSize = sizeof(Keyword) - 1;

}  // namespace

int64_t LastTableKeyword(TStream& File, int64_t From, int64_t Before) {
    Before = std::min<int64_t>(Before, File.Size());
    std::vector<uint8_t> bytes;
    for (int64_t end = Before; end > From;) {
        const int64_t start = std::max(From, end - Window);
        // A byte before the window and the keyword's bytes after it, so that
        // a keyword across an edge is seen whole.
        const int64_t readStart = std::max(From, start - 1);
        const int64_t readEnd = std::min(Before, end + KeywordSize);
        bytes.resize(static_cast<size_t>(readEnd - readStart));
        File.SetPosition(readStart);
        File.ReadBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
        for (int64_t at = end - 1; at >= start; --at) {
            const auto index = static_cast<size_t>(at - readStart);
            if (index + KeywordSize >= bytes.size()) continue;  // nothing after it
            if (std::memcmp(bytes.data() + index, Keyword, KeywordSize) != 0) continue;
            if (!IsIsoWhiteSpace(bytes[index + KeywordSize])) continue;
            if (at == From || (index > 0 && IsIsoWhiteSpace(bytes[index - 1]))) return at;
        }
        end = start;
    }
    return -1;
}

}  // namespace lumerra
