// ApplyFilters: which filter lists form a chain and what each appends.
#include <gtest/gtest.h>

#include <string>

#include "filters/FilterChain.h"
#include "filters/Flate.h"
#include "support/FilterFixtures.h"
#include "support/Raised.h"

namespace lumerra {
namespace {

using test::Contents;
using test::Deflate;
using test::EncodeASCII85;
using test::EncodeHex;
using test::Load;

const std::string Hex(ASCIIHexDecodeName);
const std::string A85(ASCII85DecodeName);
const std::string Flate(FlateDecodeName);

std::string Apply(const TStringList& Filters, const std::string& Data) {
    TMemoryStream data;
    Load(data, Data);
    TMemoryStream output;
    Load(output, "kept|", 5);
    ApplyFilters(data, Filters, output);
    const std::string all = Contents(output);
    EXPECT_EQ(all.substr(0, 5), "kept|") << "the chain only appends";
    return all.substr(5);
}

struct TChainCase {
    const char* What;
    TStringList Filters;
    std::string Data;
};

const std::string Text = test::ContentText(5000);

TEST(FilterChain, KnownChainsDecode) {
    const TChainCase cases[] = {
        {"no filter", {}, Text},
        {"hexadecimal", {Hex}, EncodeHex(Text) + ">"},
        {"base-85", {A85}, EncodeASCII85(Text) + "~>"},
        {"Flate", {Flate}, Deflate(Text)},
        {"hexadecimal, Flate", {Hex, Flate}, EncodeHex(Deflate(Text)) + ">"},
        {"base-85, Flate", {A85, Flate}, EncodeASCII85(Deflate(Text)) + "~>"},
    };
    for (const auto& c : cases) EXPECT_TRUE(Apply(c.Filters, c.Data) == Text) << c.What;
}

TEST(FilterChain, OtherListsAppendNothing) {
    const TChainCase cases[] = {
        {"Flate, base-85", {Flate, A85}, EncodeASCII85(Deflate(Text)) + "~>"},
        {"Flate, hexadecimal", {Flate, Hex}, Deflate(Text)},
        {"Flate twice", {Flate, Flate}, Deflate(Deflate(Text))},
        {"hexadecimal twice", {Hex, Hex}, EncodeHex(EncodeHex(Text))},
        {"base-85, hexadecimal", {A85, Hex}, EncodeASCII85(EncodeHex(Text)) + "~>"},
        {"three names", {A85, Hex, Flate}, EncodeASCII85(EncodeHex(Deflate(Text))) + "~>"},
        {"an unknown name", {"/DCTDecode"}, Text},
        {"an unknown name after Flate", {Flate, "/LZWDecode"}, Deflate(Text)},
        // Compared exactly: no other case, no abbreviations.
        {"another case", {"/flatedecode"}, Deflate(Text)},
        {"an abbreviation", {"/Fl"}, Deflate(Text)},
        {"no slash", {"FlateDecode"}, Deflate(Text)},
        {"void base-85 before Flate", {A85, Flate}, "!!z" + EncodeASCII85(Deflate(Text)) + "~>"},
    };
    for (const auto& c : cases) EXPECT_EQ(Apply(c.Filters, c.Data), "") << c.What;
}

// Catching them is the stream reader's business.
TEST(FilterChain, DecodingErrorsGetOutAfterTheGoodBytes) {
    const std::string text = test::ContentText(40000);
    for (const TChainCase& c : {TChainCase{"Flate", {Flate}, test::DeflateThenBadBlock(text)},
                                TChainCase{"hexadecimal, Flate", {Hex, Flate}, EncodeHex(test::DeflateThenBadBlock(text))}}) {
        TMemoryStream data;
        Load(data, c.Data);
        TMemoryStream output;
        EXPECT_EQ(test::RaisedMessage([&] { ApplyFilters(data, c.Filters, output); }, "no error"), FlateFailureMessage)
            << c.What;
        EXPECT_TRUE(Contents(output) == text) << c.What;
    }
}

TEST(FiltersSupported, EveryEntryMustBeKnown) {
    EXPECT_TRUE(FiltersSupported({}));
    EXPECT_TRUE(FiltersSupported({Flate, Flate, Hex, A85}));
    EXPECT_FALSE(FiltersSupported({Flate, "/RunLengthDecode"}));
    EXPECT_FALSE(FiltersSupported({"/AHx"}));
}

}  // namespace
}  // namespace lumerra
