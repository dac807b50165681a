// The RunLength stage: copy and repeat runs, the end marker, and where data
// that ends too early is damaged.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ChainFixtures.h"

namespace lumerra {
namespace {

TEST(DecodeRunLength, RunsMarkerAndTruncation) {
    struct TCase {
        const char* Name;
        std::string Data;
        std::string Bytes;
        int64_t DamageAt;  // -1: none
    };
    const std::string x128(128, 'x');
    const std::vector<TCase> cases = {
        {"copy", std::string("\x02" "abc\x80", 5), "abc", -1},
        {"repeat", std::string("\xFE" "z\x80", 3), "zzz", -1},
        {"shortest repeat", std::string("\xFF" "z\x80", 3), "zz", -1},
        {"longest copy", "\x7F" + x128 + "\x80", x128, -1},
        {"longest repeat", std::string("\x81" "x\x80", 3), x128, -1},
        {"runs in turn", std::string("\x00" "a\xFD" "b\x01" "cd\x80", 8), "abbbbcd", -1},
        {"nothing after the marker counts", std::string("\x00" "a\x80\x00" "b", 5), "a", -1},
        {"no marker", std::string("\x01" "ab", 3), "ab", 3},
        {"copy cut short", std::string("\x05" "ab", 3), "ab", 3},
        {"repeat without its byte", std::string("\x00" "a\xFE", 3), "a", 3},
        {"empty", "", "", 0},
    };
    for (const TCase& c : cases) {
        const test::TChainResult d = test::DecodeChain(c.Data, {test::Step("/RunLengthDecode")});
        EXPECT_EQ(d.Bytes, c.Bytes) << c.Name;
        std::vector<TFilterDiagnostic> damage;
        if (c.DamageAt >= 0) damage.push_back({TMessageCode::RunLengthFailed, 0, "/RunLengthDecode", c.DamageAt});
        EXPECT_EQ(d.Damage, damage) << c.Name;
    }
}

}  // namespace
}  // namespace lumerra
