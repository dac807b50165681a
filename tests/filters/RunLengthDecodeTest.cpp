// DecodeRunLength: copy and repeat runs, the end marker and truncation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/FilterFixtures.h"
#include "filters/RunLength.h"

namespace lumerra {
namespace {

TEST(DecodeRunLength, RunsMarkerAndTruncation) {
    struct TCase {
        const char* Name;
        std::string Data;
        std::string Bytes;
        TDecodeEnd End;
    };
    const std::string x128(128, 'x');
    const std::vector<TCase> cases = {
        {"copy", std::string("\x02" "abc\x80", 5), "abc", TDecodeEnd::Complete},
        {"repeat", std::string("\xFE" "z\x80", 3), "zzz", TDecodeEnd::Complete},
        {"shortest repeat", std::string("\xFF" "z\x80", 3), "zz", TDecodeEnd::Complete},
        {"longest copy", "\x7F" + x128 + "\x80", x128, TDecodeEnd::Complete},
        {"longest repeat", std::string("\x81" "x\x80", 3), x128, TDecodeEnd::Complete},
        {"runs in turn", std::string("\x00" "a\xFD" "b\x01" "cd\x80", 8), "abbbbcd", TDecodeEnd::Complete},
        {"nothing after the marker counts", std::string("\x00" "a\x80\x00" "b", 5), "a", TDecodeEnd::Complete},
        {"no marker", std::string("\x01" "ab", 3), "ab", TDecodeEnd::Truncated},
        {"copy cut short", std::string("\x05" "ab", 3), "ab", TDecodeEnd::Truncated},
        {"repeat without its byte", std::string("\x00" "a\xFE", 3), "a", TDecodeEnd::Truncated},
        {"empty", "", "", TDecodeEnd::Truncated},
    };
    for (const TCase& c : cases) {
        TMemoryStream out;
        const TDecodeEnd end =
            DecodeRunLength(reinterpret_cast<const uint8_t*>(c.Data.data()), static_cast<int32_t>(c.Data.size()), out);
        EXPECT_EQ(test::Contents(out), c.Bytes) << c.Name;
        EXPECT_EQ(end, c.End) << c.Name;
    }
}

}  // namespace
}  // namespace lumerra
