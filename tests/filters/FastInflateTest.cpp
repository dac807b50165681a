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

// One inflater serves stream after stream on a thread: each gives its own
// bytes whatever came before it, a larger stream, a failure, or a stream that
// outgrew the first guess.
TEST(FastInflate, OneInflaterServesStreamAfterStream) {
    struct Case {
        const char* Name;
        std::string Text;
        bool Corrupt;
    };
    const std::vector<Case> cases = {
        {"small", test::ContentText(3000), false},
        {"larger than the buffer kept", test::ContentText(3 * TFastInflater::RetainedCapacity), false},
        {"small after a large one", test::ContentText(700), false},
        {"damaged", test::ContentText(20000), true},
        {"small after a failure", test::ContentText(1500), false},
        {"far beyond the first guess", std::string(2 * 1024 * 1024, ' '), false},
        {"empty", "", false},
    };
    TFastInflater fast;
    for (const Case& c : cases) {
        const std::string data = c.Corrupt ? test::DeflateThenBadBlock(c.Text) : test::Deflate(c.Text);
        const bool taken = fast.Inflate(reinterpret_cast<const uint8_t*>(data.data()), data.size());
        EXPECT_EQ(taken, !c.Corrupt) << c.Name;
        const std::string out(reinterpret_cast<const char*>(fast.Output()), fast.OutputSize());
        EXPECT_TRUE(out == (c.Corrupt ? std::string() : c.Text)) << c.Name;
    }
}

}  // namespace
}  // namespace lumerra
