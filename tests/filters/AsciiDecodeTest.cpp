// The hexadecimal and base-85 decoders and the dialect they keep.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST(ASCIIHex, DecodesInTheDialectItKeeps) {
    struct TCase {
        const char* Name;
        std::string Text;
        int32_t Length;  // of Text that counts; -1: all of it
        std::string Bytes;
    };
    const std::vector<TCase> cases = {
        {"pairs of either case", "48656C6c6F", -1, "Hello"},
        {"every byte value", "00fFaB", -1, std::string("\x00\xFF\xAB", 3)},
        {"white space between pairs", " 48 65\r\n6C\t6C  6F\n", -1, "Hello"},
        {"> does not end the data", "4142>4344>", -1, "ABCD"},
        // A digit followed by a non-digit is lost with it.
        {"digit before a space", "4 142", -1, "\x14"},  // "14" pairs, "2" is odd
        {"digit before a letter", "4G4142", -1, "AB"},
        {"digit before a line end", "41 4\n4243", -1, "ABC"},
        {"odd final digit", "414", -1, "A"},
        {"a lone digit", "4", -1, ""},
        {"zero byte ends the data", std::string("41\0" "42", 5), -1, "A"},
        {"zero byte after a digit", std::string("4\0" "4142", 6), -1, ""},
        {"only the first Length bytes count", "41424344", 5, "AB"},
        {"no bytes", "41424344", 0, ""},
        {"a negative length", "41424344", -3, ""},
    };
    for (const TCase& c : cases) {
        const int32_t length = c.Length == -1 ? static_cast<int32_t>(c.Text.size()) : c.Length;
        EXPECT_EQ(DecodeASCIIHex(reinterpret_cast<const uint8_t*>(c.Text.data()), length), c.Bytes) << c.Name;
    }
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

TEST(ASCII85, DecodesInTheDialectItKeeps) {
    struct TCase {
        const char* Name;
        std::string Text;
        int32_t Length;  // of Text that counts; -1: all of it
        std::string Bytes;
    };
    const std::string zeros(4, '\0');
    const std::vector<TCase> cases = {
        {"known text", "87cURD]j7BEbo7~>", -1, "Hello world"},
        {"a single final digit yields nothing", "!!!!!a~>", -1, zeros},
        {"z for four zero bytes", "z~>", -1, zeros},
        {"z between groups", "zz87cUR~>", -1, std::string(8, '\0') + "Hell"},
        {"z inside a group voids the data", "87cURD]j7BE!!z!!~>", -1, ""},
        {"~ before another byte voids the data", "87cURD]j7BEbo7~x", -1, ""},
        {"~ at the end voids the data", "87cURD]j7BEbo7~", -1, ""},
        // The framing used outside PDF: "<" is a digit, and "~" lacks its ">".
        {"<~ framing voids the data", "<~87cURD]j7BEbo7~>", -1, ""},
        {"open group without the end marker is dropped", "87cURD]j7BEbo7", -1, "Hello wo"},
        {"two digits past a group without the marker", "!!!!!!!", -1, zeros},
        {"other bytes are passed over", "87c UR\nD]\rj7\tBvwxy{|}\x80\xFF" "Ebo7~>", -1, "Hello world"},
        {"nothing after the marker counts", "87cUR~>D]j7B", -1, "Hell"},
        {"not even a void after the marker", "87cUR~>z!~x", -1, "Hell"},
        // 85^5 - 1 = 0x1 0878 0EC4.
        {"group value wraps modulo 32 bits", "uuuuu~>", -1, std::string("\x08\x78\x0E\xC4", 4)},
        {"only the first Length bytes count", "87cURD]j7B~>", 5, "Hell"},
    };
    for (const TCase& c : cases) {
        test::TRecordingStream out;
        const int32_t length = c.Length == -1 ? static_cast<int32_t>(c.Text.size()) : c.Length;
        DecodeASCII85(reinterpret_cast<const uint8_t*>(c.Text.data()), length, out);
        EXPECT_EQ(out.All(), c.Bytes) << c.Name;
        EXPECT_LE(out.Writes.size(), 1u) << c.Name << ": the decoded bytes go out with one write";
        if (c.Bytes.empty()) {
            EXPECT_TRUE(out.Writes.empty()) << c.Name << ": void data writes nothing";
        }
    }
}

TEST(ASCII85, IntoMemoryGivesTheSameBytes) {
    for (const std::string text : {"87cURD]j7BEbo7~>", "zz!!~>", "!!z!!~>", "87cURD]", "~x", ""})
        EXPECT_EQ(A85ToMemory(text), A85(text)) << text;
    const std::string random = test::RandomBytes(1001);
    EXPECT_TRUE(A85ToMemory(test::EncodeASCII85(random) + "~>") == random);
}

}  // namespace
}  // namespace lumerra
