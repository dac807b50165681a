// The LZW stage: code widths, table resets, the full table, invalid codes and
// the end of the data, with where the damage is.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/ChainFixtures.h"
#include "support/DecoderEncoders.h"

namespace lumerra {
namespace {

using test::PackCodes;

using TDecoded = test::TChainResult;

TDecoded LZW(const std::string& Data, bool EarlyChange = true) {
    return test::DecodeChain(Data, {test::Step("/LZWDecode", {.EarlyChange = EarlyChange})});
}

// LZW's damage at Offset of its data.
std::vector<TFilterDiagnostic> At(int64_t Offset) {
    return {test::Damaged(TMessageCode::LzwFailed, 0, "/LZWDecode", Offset)};
}

// Literal codes 1..Count after a clear code, code i being Literal(i); the
// widths grow from 9 bits at the first code of each entry of FirstWide, then
// the end marker at the last width.
std::vector<std::pair<int, int>> Literals(int Count, const std::vector<int>& FirstWide) {
    std::vector<std::pair<int, int>> codes = {{256, 9}};
    int width = 9;
    for (int i = 1; i <= Count; ++i) {
        for (size_t w = 0; w < FirstWide.size(); ++w)
            if (i == FirstWide[w]) width = 10 + static_cast<int>(w);
        codes.push_back({i % 251, width});
    }
    codes.push_back({257, width});
    return codes;
}

std::string LiteralBytes(int Count) {
    std::string bytes;
    for (int i = 1; i <= Count; ++i) bytes += static_cast<char>(i % 251);
    return bytes;
}

TEST(DecodeLZW, ExampleOfISO32000) {
    // "-----A---B": codes 256 45 258 258 65 259 66 257, all 9 bits.
    const std::string data("\x80\x0B\x60\x50\x22\x0C\x0C\x85\x01", 9);
    for (const bool early : {true, false}) {
        const TDecoded d = LZW(data, early);
        EXPECT_EQ(d.Bytes, "-----A---B");
        EXPECT_TRUE(d.Damage.empty());
    }
}

TEST(DecodeLZW, WidthsGrowAtTheCodesTheTableSizeFixes) {
    // The table gains one entry per code after the first: code i is read
    // with 257 + i - 1 entries made. EarlyChange widens one code sooner.
    struct TCase {
        bool EarlyChange;
        std::vector<int> FirstWide;  // the first 10-, 11- and 12-bit codes
    };
    for (const TCase& c : {TCase{true, {255, 767, 1791}}, TCase{false, {256, 768, 1792}}}) {
        const std::string data = PackCodes(Literals(2000, c.FirstWide));
        const TDecoded d = LZW(data, c.EarlyChange);
        EXPECT_TRUE(d.Bytes == LiteralBytes(2000)) << "EarlyChange " << c.EarlyChange;
        EXPECT_TRUE(d.Damage.empty());
        EXPECT_FALSE(LZW(data, !c.EarlyChange).Bytes == LiteralBytes(2000)) << "EarlyChange " << c.EarlyChange;
    }
}

TEST(DecodeLZW, FullTableKeepsTwelveBitCodesUntilAClearCode) {
    // 3839 literals fill the table (entry 256 + i holds literals i - 1 and
    // i); then come 12-bit codes for a literal and for the first and last
    // entries, and after the clear code, 9-bit literals again.
    auto codes = Literals(3839, {255, 767, 1791});
    codes.pop_back();
    for (const int code : {int{'x'}, 4095, 258, 256}) codes.push_back({code, 12});
    for (const int code : {int{'y'}, int{'z'}, 257}) codes.push_back({code, 9});
    const std::string literals = LiteralBytes(3839);
    const TDecoded d = LZW(PackCodes(codes));
    EXPECT_TRUE(d.Bytes == literals + "x" + literals.substr(3837, 2) + literals.substr(0, 2) + "yz");
    EXPECT_TRUE(d.Damage.empty());
}

TEST(DecodeLZW, EncodedDataComesBackWhole) {
    struct TCase {
        const char* Name;
        std::string Data;
        test::TLZWEncoding Encoding;
    };
    const std::string text = test::ContentText(200000, 3);
    const std::string random = test::RandomBytes(12000, 4);
    const std::vector<TCase> cases = {
        {"one repeated byte", std::string(100000, 'a'), {}},
        {"text, cleared when full", text, {}},
        {"text, cleared when full, late change", text, {.EarlyChange = false}},
        {"random, 12-bit codes kept when full", random, {.ClearWhenFull = false}},
        {"random, kept when full, late change", random, {.EarlyChange = false, .ClearWhenFull = false}},
        {"cleared every 300 codes", text.substr(0, 20000), {.ClearEvery = 300}},
        {"cleared after each code", "abcabcabc", {.ClearEvery = 1}},
        {"no clear code first", text.substr(0, 5000), {.ClearFirst = false}},
        {"nothing to encode", "", {}},
    };
    for (const TCase& c : cases) {
        const TDecoded d = LZW(test::EncodeLZW(c.Data, c.Encoding), c.Encoding.EarlyChange);
        EXPECT_TRUE(d.Bytes == c.Data) << c.Name;
        EXPECT_TRUE(d.Damage.empty()) << c.Name;
    }
}

// Damage stands at the byte where the bad code starts (code k, from 0, of 9
// bits starts at bit 9k), or at the end of data without its end marker.
TEST(DecodeLZW, DamageAndTheEndOfTheData) {
    struct TCase {
        const char* Name;
        std::string Data;
        std::string Bytes;
        std::vector<TFilterDiagnostic> Damage;
    };
    const std::string text = test::ContentText(3000, 5);
    const std::string unmarked = test::EncodeLZW(text, {.EndMarker = false});
    const std::vector<TCase> cases = {
        {"the entry being made", PackCodes({{'A', 9}, {258, 9}, {257, 9}}), "AAA", {}},
        {"a code past the next entry", PackCodes({{'A', 9}, {'B', 9}, {300, 9}, {'C', 9}}), "AB", At(2)},
        {"the entry after the next", PackCodes({{'A', 9}, {259, 9}, {'C', 9}}), "A", At(1)},
        {"no previous code to make it from", PackCodes({{256, 9}, {258, 9}}), "", At(1)},
        {"past the next entry after a clear", PackCodes({{'A', 9}, {'B', 9}, {256, 9}, {259, 9}}), "AB", At(3)},
        {"no end marker: damaged at the end, kept", unmarked, text, At(static_cast<int64_t>(unmarked.size()))},
        {"a final partial code is padding", PackCodes({{'A', 9}, {'B', 9}, {0x1F, 5}}), "AB", At(3)},
        {"no data", "", "", At(0)},
        {"nothing after the end marker counts", test::EncodeLZW("before") + test::EncodeLZW("after"), "before", {}},
    };
    for (const TCase& c : cases) {
        const TDecoded d = LZW(c.Data);
        EXPECT_TRUE(d.Bytes == c.Bytes) << c.Name;
        EXPECT_EQ(d.Damage, c.Damage) << c.Name;
    }
}

}  // namespace
}  // namespace lumerra
