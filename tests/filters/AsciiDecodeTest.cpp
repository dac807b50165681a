// The hexadecimal and base-85 decoders and the dialect they keep.
#include <gtest/gtest.h>

#include <string>

#include "filters/AsciiDecode.h"
#include "support/FilterFixtures.h"

namespace lumerra {
namespace {

using test::Contents;

std::string Hex(const std::string& Text) {
    return DecodeASCIIHex(reinterpret_cast<const uint8_t*>(Text.data()), static_cast<int32_t>(Text.size()));
}

std::string HexToMemory(const std::string& Text) {
    TMemoryStream out;
    test::Load(out, "old content");
    DecodeASCIIHexToMemory(reinterpret_cast<const uint8_t*>(Text.data()), static_cast<int32_t>(Text.size()), out);
    EXPECT_EQ(out.Position(), 0);
    return Contents(out);
}

std::string A85(const std::string& Text) {
    test::TRecordingStream out;
    DecodeASCII85(reinterpret_cast<const uint8_t*>(Text.data()), static_cast<int32_t>(Text.size()), out);
    EXPECT_LE(out.Writes.size(), 1u) << "the decoded bytes go out with one write";
    return out.All();
}

std::string A85ToMemory(const std::string& Text) {
    TMemoryStream out;
    test::Load(out, "old content");
    DecodeASCII85ToMemory(reinterpret_cast<const uint8_t*>(Text.data()), static_cast<int32_t>(Text.size()), out);
    EXPECT_EQ(out.Position(), 0);
    return Contents(out);
}

TEST(ASCIIHex, PairsOfEitherCase) {
    EXPECT_EQ(Hex("48656C6c6F"), "Hello");
    EXPECT_EQ(Hex("00fFaB"), std::string("\x00\xFF\xAB", 3));
}

TEST(ASCIIHex, WhiteSpaceBetweenPairsIsPassedOver) {
    EXPECT_EQ(Hex(" 48 65\r\n6C\t6C  6F\n"), "Hello");
}

TEST(ASCIIHex, GreaterThanDoesNotEndTheData) {
    EXPECT_EQ(Hex("4142>4344>"), "ABCD");
}

TEST(ASCIIHex, DigitFollowedByANonDigitIsLost) {
    EXPECT_EQ(Hex("4 142"), "\x14");   // "4 " is lost, "14" pairs, "2" is odd
    EXPECT_EQ(Hex("4G4142"), "AB");    // "4G" is lost
    EXPECT_EQ(Hex("41 4\n4243"), "ABC");
}

TEST(ASCIIHex, OddFinalDigitIsDropped) {
    EXPECT_EQ(Hex("414"), "A");
    EXPECT_EQ(Hex("4"), "");
}

TEST(ASCIIHex, ZeroByteEndsTheData) {
    EXPECT_EQ(Hex(std::string("41\0" "42", 5)), "A");
    EXPECT_EQ(Hex(std::string("4\0" "4142", 6)), "");
}

TEST(ASCIIHex, OnlyTheFirstLengthBytesCount) {
    const std::string text = "41424344";
    EXPECT_EQ(DecodeASCIIHex(reinterpret_cast<const uint8_t*>(text.data()), 5), "AB");
    EXPECT_EQ(DecodeASCIIHex(reinterpret_cast<const uint8_t*>(text.data()), 0), "");
    EXPECT_EQ(DecodeASCIIHex(reinterpret_cast<const uint8_t*>(text.data()), -3), "");
}

TEST(ASCIIHex, IntoMemoryGivesTheSameBytes) {
    for (const std::string text : {"48656C6C6F", " 4 142>4G43", "414", "", "zz"}) EXPECT_EQ(HexToMemory(text), Hex(text));
    const std::string random = test::RandomBytes(1000);
    EXPECT_TRUE(HexToMemory(test::EncodeHex(random)) == random);
}

TEST(ASCII85, FinalGroupsOfEveryLengthRoundTrip) {
    // 4n + k bytes end in a group of k + 1 digits (k = 1, 2, 3).
    const std::string random = test::RandomBytes(40, 9);
    for (size_t size = 0; size <= random.size(); ++size) {
        const std::string bytes = random.substr(0, size);
        EXPECT_TRUE(A85(test::EncodeASCII85(bytes) + "~>") == bytes) << size << " bytes";
    }
}

TEST(ASCII85, KnownText) {
    EXPECT_EQ(A85("87cURD]j7BEbo7~>"), "Hello world");
}

TEST(ASCII85, SingleFinalDigitYieldsNothing) {
    EXPECT_EQ(A85("!!!!!a~>"), std::string(4, '\0'));
}

TEST(ASCII85, ZStandsForFourZeroBytes) {
    EXPECT_EQ(A85("z~>"), std::string(4, '\0'));
    EXPECT_EQ(A85("zz87cUR~>"), std::string(8, '\0') + "Hell");
}

TEST(ASCII85, ZInsideAGroupVoidsTheData) {
    test::TRecordingStream out;
    const std::string text = "87cURD]j7BE!!z!!~>";
    DecodeASCII85(reinterpret_cast<const uint8_t*>(text.data()), static_cast<int32_t>(text.size()), out);
    EXPECT_TRUE(out.Writes.empty());
}

TEST(ASCII85, TildeWithoutGreaterThanVoidsTheData) {
    EXPECT_EQ(A85("87cURD]j7BEbo7~x"), "");
    EXPECT_EQ(A85("87cURD]j7BEbo7~"), "");
    // The framing used outside PDF: "<" is a digit, and "~" lacks its ">".
    EXPECT_EQ(A85("<~87cURD]j7BEbo7~>"), "");
}

TEST(ASCII85, OpenGroupWithoutTheEndMarkerIsDropped) {
    EXPECT_EQ(A85("87cURD]j7BEbo7"), "Hello wo");
    EXPECT_EQ(A85("!!!!!!!"), std::string(4, '\0'));
}

TEST(ASCII85, OtherBytesArePassedOver) {
    EXPECT_EQ(A85("87c UR\nD]\rj7\tBvwxy{|}\x80\xFF" "Ebo7~>"), "Hello world");
}

TEST(ASCII85, NothingAfterTheEndMarkerCounts) {
    EXPECT_EQ(A85("87cUR~>D]j7B"), "Hell");
    EXPECT_EQ(A85("87cUR~>z!~x"), "Hell");
}

TEST(ASCII85, GroupValueWrapsModulo32Bits) {
    // 85^5 - 1 = 0x1 0878 0EC4.
    EXPECT_EQ(A85("uuuuu~>"), std::string("\x08\x78\x0E\xC4", 4));
}

TEST(ASCII85, OnlyTheFirstLengthBytesCount) {
    const std::string text = "87cURD]j7B~>";
    test::TRecordingStream out;
    DecodeASCII85(reinterpret_cast<const uint8_t*>(text.data()), 5, out);
    EXPECT_EQ(out.All(), "Hell");
}

TEST(ASCII85, IntoMemoryGivesTheSameBytes) {
    for (const std::string text : {"87cURD]j7BEbo7~>", "zz!!~>", "!!z!!~>", "87cURD]", "~x", ""})
        EXPECT_EQ(A85ToMemory(text), A85(text)) << text;
    const std::string random = test::RandomBytes(1001);
    EXPECT_TRUE(A85ToMemory(test::EncodeASCII85(random) + "~>") == random);
}

}  // namespace
}  // namespace lumerra
