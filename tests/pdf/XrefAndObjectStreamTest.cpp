// The classic table with its trailer, the cross-reference stream's entries
// and the object stream's table, read from data built here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdf/ObjectStream.h"
#include "pdf/XrefSection.h"
#include "pdf/XrefStream.h"
#include "support/ByteSpan.h"
#include "syntax/ValueWriter.h"

using namespace lumerra;
using lumerra::test::BytesOf;

namespace {

// "number:kind:field2:field3 ".
std::string Shown(int32_t Number, const TXrefStreamEntry& E) {
    return std::to_string(Number) + ":" + std::to_string(static_cast<int>(E.Kind)) + ":" + std::to_string(E.Field2) +
           ":" + std::to_string(E.Field3) + " ";
}

// Each entry visited, shown.
std::string Entries(const std::string& Data, TXrefStreamLayout Layout) {
    std::string seen;
    const auto count = ReadXrefStreamEntries(BytesOf(Data), Layout,
                                             [&](int32_t Number, const TXrefStreamEntry& E) { seen += Shown(Number, E); });
    return count ? seen : "refused";
}

// Each entry of the table, shown, then the trailer's /Prev; or the fault.
std::string TableEntries(const std::string& Data) {
    TXrefSection section;
    switch (ReadXrefTable(BytesOf(Data), 100, section)) {
        case TXrefSectionFault::None: break;
        case TXrefSectionFault::NeedMore: return "more";
        case TXrefSectionFault::NotASection: return "no table";
        case TXrefSectionFault::BadEntries: return "bad entries";
        case TXrefSectionFault::BadTrailer: return "bad trailer";
    }
    std::string seen;
    for (const auto& [number, e] : section.Entries) seen += Shown(number, e);
    return seen + "prev " + std::to_string(section.Prev());
}

}  // namespace

TEST(XrefTable, EntriesAndTrailerAsTokensSay) {
    const std::string trailer = "trailer\n<< /Size 3 /Prev 9 >>\n";
    struct Case {
        const char* Name;
        std::string Data, Expected;
    };
    const std::vector<Case> cases = {
        {"fixed-width entries", "xref\n0 2\n0000000000 65535 f\r\n0000000015 00000 n\r\n" + trailer,
         "0:0:0:65535 1:1:15:0 prev 9"},
        {"entries with one white-space byte and short numbers", "xref 0 2 0 65535 f 15 0 n " + trailer,
         "0:0:0:65535 1:1:15:0 prev 9"},
        {"several subsections", "xref\n0 1\n0 65535 f\n7 1\n300 2 n\n" + trailer, "0:0:0:65535 7:1:300:2 prev 9"},
        {"a count beyond the entries ends at the next subsection", "xref\n0 5\n0 65535 f\n4 1\n40 0 n\n" + trailer,
         "0:0:0:65535 4:1:40:0 prev 9"},
        {"a count beyond the entries ends at the trailer", "xref\n3 9\n30 0 n\n" + trailer, "3:1:30:0 prev 9"},
        {"a comment between entries", "xref\n0 1 % one\n0 65535 f\n" + trailer, "0:0:0:65535 prev 9"},
        {"an empty table", "xref\n" + trailer, "prev 9"},
        {"no trailer dictionary", "xref\n0 1\n0 65535 f\ntrailer [1] ", "bad trailer"},
        {"an entry type that is neither n nor f", "xref\n0 1\n0 65535 x\n" + trailer, "bad entries"},
        {"a negative first number", "xref\n-1 1\n0 65535 f\n" + trailer, "bad entries"},
        {"no xref keyword", "1 0 obj << >> endobj", "no table"},
        {"white space only", std::string(64, '\0') + "  \r\n", "no table"},
        {"cut inside an entry", "xref\n0 1\n00000", "more"},
        {"cut inside the keyword trailer", "xref\n0 1\n0 65535 f\ntrai", "more"},
        {"cut inside the trailer dictionary", "xref\n0 1\n0 65535 f\ntrailer << /Size", "more"},
    };
    for (const Case& c : cases) EXPECT_EQ(TableEntries(c.Data), c.Expected) << c.Name;
}

TEST(XrefStream, EntriesFollowTheLayout) {
    const std::string rows("\x01\x00\x0f\x00" "\x02\x00\x07\x03" "\x00\x00\x00\xff", 12);
    struct Case {
        const char* Name;
        TXrefStreamLayout Layout;
        std::string Data, Expected;
    };
    const std::vector<Case> cases = {
        {"one subsection", {{1, 2, 1}, {{0, 3}}}, rows, "0:1:15:0 1:2:7:3 2:0:0:255 "},
        {"several subsections", {{1, 2, 1}, {{0, 1}, {10, 2}}}, rows, "0:1:15:0 10:2:7:3 11:0:0:255 "},
        {"a count beyond the data", {{1, 2, 1}, {{5, 1000000000}}}, rows, "5:1:15:0 6:2:7:3 7:0:0:255 "},
        {"a partial last row is not read", {{1, 2, 1}, {{0, 3}}}, rows.substr(0, 10), "0:1:15:0 1:2:7:3 "},
        {"no type field: in use", {{0, 2, 2}, {{0, 3}}}, rows, "0:1:256:3840 1:1:512:1795 2:1:0:255 "},
        {"no generation field", {{1, 3, 0}, {{0, 2}}}, rows.substr(0, 8), "0:1:3840:0 1:2:1795:0 "},
        {"an unknown type", {{1, 1, 0}, {{0, 1}}}, std::string("\x07\x01", 2), "0:3:1:0 "},
        {"numbers past 32 bits are skipped", {{1, 2, 1}, {{2147483646, 3}}}, rows,
         "2147483646:1:15:0 2147483647:2:7:3 "},
        {"a field wider than 8 bytes", {{1, 9, 1}, {{0, 1}}}, rows, "refused"},
        {"no field at all", {{0, 0, 0}, {{0, 1}}}, rows, "refused"},
        {"a negative width", {{1, -1, 1}, {{0, 1}}}, rows, "refused"},
        {"a negative count", {{1, 2, 1}, {{0, -1}}}, rows, "refused"},
    };
    for (const Case& c : cases) EXPECT_EQ(Entries(c.Data, c.Layout), c.Expected) << c.Name;
}

TEST(ObjectStream, TableOfContents) {
    const std::string objects = "<< /A 1 >>[1 2]42";
    struct Case {
        const char* Name;
        std::string Header;
        int64_t N;
        std::string Expected;  // "number@start-end" for each entry
    };
    const std::vector<Case> cases = {
        {"three objects", "7 0 8 10 9 15 ", 3, "7@14-24 8@24-29 9@29-31 "},
        {"fewer pairs than /N", "7 0 8 10 ", 3, "7@9-19 8@19-26 "},
        {"/N smaller than the pairs", "7 0 8 10 9 15 ", 1, "7@14-31 "},
        {"an offset going back ends the table", "7 0 8 10 9 5 ", 3, "7@13-23 8@23-30 "},
        {"an offset beyond the data ends it", "7 0 8 99 ", 2, "7@9-26 "},
        {"a pair that is not numbers ends it", "7 0 x 10 ", 2, "7@9-26 "},
        {"a number past 32 bits ends it", "7 0 99999999999 1 ", 2, "7@18-35 "},
        {"no objects", "", 0, ""},
    };
    for (const Case& c : cases) {
        const std::string data = c.Header + objects;
        const auto index = TObjectStreamIndex::Read(BytesOf(data), c.N, static_cast<int64_t>(c.Header.size()));
        ASSERT_TRUE(index) << c.Name;
        std::string seen;
        for (const auto& e : index->Entries())
            seen += std::to_string(e.Number) + "@" + std::to_string(e.Start) + "-" + std::to_string(e.End) + " ";
        EXPECT_EQ(seen, c.Expected) << c.Name;
    }
    const std::string data = "7 0 " + objects;
    EXPECT_FALSE(TObjectStreamIndex::Read(BytesOf(data), 1, 1000)) << "/First beyond the data";
    EXPECT_FALSE(TObjectStreamIndex::Read(BytesOf(data), -1, 4)) << "negative /N";
    EXPECT_FALSE(TObjectStreamIndex::Read(BytesOf(data), 1000000, 4)) << "/N the header cannot hold";
    const auto index = TObjectStreamIndex::Read(BytesOf(data), 1, 4);
    ASSERT_TRUE(index);
    EXPECT_NE(index->At(0), nullptr);
    EXPECT_EQ(index->At(1), nullptr);
    EXPECT_EQ(index->At(-1), nullptr);
}

TEST(ObjectStream, ObjectsAreParsedWithinTheirEntry) {
    struct Case {
        const char* Name;
        std::string Entry, After;  // the entry's bytes, and the next entry's
        std::string Expected;      // the value written, or "refused"
    };
    const std::vector<Case> cases = {
        {"a dictionary", "<< /A 1 >>", "", "<<\n  /A 1\n>>"},
        {"an integer ends with the data", "42", "", "42"},
        {"two numbers at the end are no reference", "12 0", "", "12"},
        {"a reference", "5 0 R", "", "5 0 R"},
        {"white space and a comment before the value", " % note\n /Name ", "", "/Name"},
        {"endobj after the value is passed over", "[1 2] endobj", "", "[1 2]"},
        {"the next entry is not read", "[1 2", "] ", "refused"},
        {"a number is not joined to the next entry", "7 0", "R ", "7"},
        {"a value followed by stream", "<< /Length 2 >> stream\nxx", "", "refused"},
        {"an unterminated string", "(abc", ") ", "refused"},
        {"a keyword that is no value", "endobj", "", "refused"},
        {"nothing at all", "  ", "1", "refused"},
    };
    for (const Case& c : cases) {
        const std::string head = "3 0 ";
        const std::string data = head + c.Entry + c.After;
        const TObjectStreamIndex::TEntry entry{3, static_cast<int32_t>(head.size()),
                                               static_cast<int32_t>(head.size() + c.Entry.size())};
        TValue value;
        const TParseFault fault = ParseObjectInStream(BytesOf(data), entry, value);
        EXPECT_EQ(fault == TParseFault::None ? WrittenValue(value) : "refused", c.Expected) << c.Name;
    }
    TValue value;
    EXPECT_EQ(ParseObjectInStream(BytesOf("1 0 42"), {1, 4, 9}, value), TParseFault::Damaged) << "an entry past the data";
}
