// The fast path takes only data that zlib would inflate completely.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filters/FastInflate.h"
#include "support/FilterFixtures.h"

namespace lumerra {
namespace {

TEST(FastInflate, TakesOnlyOneCleanZlibStream) {
    const std::string text = test::ContentText(50000);
    const std::string clean = test::Deflate(text);
    std::string badCheck = clean;
    badCheck.back() = static_cast<char>(badCheck.back() ^ 1);
    struct Case {
        const char* Name;
        std::string Data;
        bool Taken;
    };
    const std::vector<Case> cases = {
        {"clean", clean, true},
        {"empty text", test::Deflate(""), true},
        {"bytes after the end", clean + "\nendstream", false},
        {"wrong checksum", badCheck, false},
        {"truncated", clean.substr(0, clean.size() - 10), false},
        {"no zlib header", test::DeflateWith("some text", -15), false},
        {"preset dictionary", test::DeflateWith("BT /F1 12 Tf ET", 15, "BT ET"), false},
        {"corrupt block", test::DeflateThenBadBlock(text), false},
        {"over the limit", test::Deflate(std::string(TFastInflater::OutputLimit + 1, 'x')), false},
        {"one byte", "x", false},
    };
    TFastInflater fast;
    for (const Case& c : cases) {
        const bool taken = fast.Inflate(reinterpret_cast<const uint8_t*>(c.Data.data()), c.Data.size());
        EXPECT_EQ(taken, c.Taken) << c.Name;
    }
    // Growing from a small first guess to the size a stream needs.
    const std::string large = test::ContentText(TFastInflater::OutputLimit / 2);
    const std::string compressed = test::Deflate(large);
    ASSERT_TRUE(fast.Inflate(reinterpret_cast<const uint8_t*>(compressed.data()), compressed.size()));
    EXPECT_TRUE(std::string(reinterpret_cast<const char*>(fast.Output()), fast.OutputSize()) == large);
}

}  // namespace
}  // namespace lumerra
