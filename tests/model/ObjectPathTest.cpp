// Finding what "show" is asked for: parsing the WHAT, walking paths through
// dictionaries, arrays and references, pages, and the objects that refer to
// one. The objects come from a small document held in memory.
#include <gtest/gtest.h>

#include <string>

#include "model/ObjectPath.h"
#include "support/MemoryObjectSource.h"
#include "syntax/ValueWriter.h"

using namespace lumerra;

namespace {

// The document of every walk; object 9 is free, and pages 1 and 2 are
// objects 3 and 4.
class TMemorySource : public test::TMemoryObjectSource {
public:
    TMemorySource()
        : TMemoryObjectSource("<< /Size 11 /Root 1 0 R /Loop 7 0 R >>",
                              {
                                  {1, "<< /Type /Catalog /Pages 2 0 R /Names << /A#20B 7 0 R >> >>"},
                                  {2, "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 >>"},
                                  {3, "<< /Type /Page /Parent 2 0 R /Resources << /Font << /F1 5 0 R >> >> "
                                      "/Contents 6 0 R >>"},
                                  {4, "<< /Type /Page /Parent 2 0 R /Resources << /Font << /F1 5 0 R >> >> >>"},
                                  {5, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"},
                                  {6, "[8 0 R]"},
                                  {7, "10 0 R"},  // a chain of references that comes back on itself
                                  {10, "7 0 R"},
                                  {8, "(data)"},
                              }) {}
    std::optional<int32_t> PageObject(int32_t Page) override {
        if (Page == 1 || Page == 2) return Page + 2;
        return std::nullopt;
    }
    int TotalReads() const {
        int total = 0;
        for (const auto& [number, reads] : Reads) total += reads;
        return total;
    }
};

TEST(ObjectPathTest, ParsesWhatOrRefusesIt) {
    using K = TShowTarget::TKind;
    const struct {
        const char* Text;
        bool Parses;
        K Kind;
        int32_t Number;
        std::vector<std::string> Steps;
    } cases[] = {
        {"trailer", true, K::Trailer, -1, {}},
        {"12", true, K::Object, 12, {}},
        {"12 0", true, K::Object, 12, {}},
        {"xref", true, K::Xref, -1, {}},
        {"page/3", true, K::Page, 3, {}},
        {"refs/5", true, K::Refs, 5, {}},
        {"trailer/Root/Pages/Kids/0", true, K::Path, -1, {"Root", "Pages", "Kids", "0"}},
        {"3/Resources/Font", true, K::Path, 3, {"Resources", "Font"}},
        {"trailer/Names/A#20B", true, K::Path, -1, {"Names", "A B"}},
        {"trailer/a#2fb", true, K::Path, -1, {"a/b"}},
        {"page/0", false, K::Trailer, 0, {}},
        {"page/x", false, K::Trailer, 0, {}},
        {"refs/", false, K::Trailer, 0, {}},
        {"-1", false, K::Trailer, 0, {}},
        {"12 0 0", false, K::Trailer, 0, {}},
        {"12 x", false, K::Trailer, 0, {}},
        {"99999999999", false, K::Trailer, 0, {}},
        {"trailer//Root", false, K::Trailer, 0, {}},
        {"trailer/A#2", false, K::Trailer, 0, {}},
        {"trailer/A#zz", false, K::Trailer, 0, {}},
        {"Root", false, K::Trailer, 0, {}},
        {"", false, K::Trailer, 0, {}},
    };
    for (const auto& c : cases) {
        const auto target = ParseShowTarget(c.Text);
        ASSERT_EQ(target.has_value(), c.Parses) << c.Text;
        if (!target) continue;
        EXPECT_EQ(target->Kind, c.Kind) << c.Text;
        EXPECT_EQ(target->Number, c.Number) << c.Text;
        EXPECT_EQ(target->Steps, c.Steps) << c.Text;
    }
    EXPECT_EQ(ParseShowTarget("12 3")->Generation.value_or(-1), 3);
}

TEST(ObjectPathTest, WalksPathsPagesAndObjects) {
    const struct {
        const char* What;
        TWalkFault Fault;
        size_t FailedStep;
        int32_t Object;
        const char* Inside;
        const char* Written;
    } cases[] = {
        {"trailer/Root/Pages/Kids/0/Resources/Font/F1/BaseFont", TWalkFault::None, 8, 5, "/BaseFont", "/Helvetica"},
        {"trailer/Root/Pages/Kids/1", TWalkFault::None, 4, 4, "", nullptr},
        {"trailer/Root/Pages/Kids", TWalkFault::None, 3, 2, "/Kids", "[3 0 R 4 0 R]"},
        {"trailer/Root/Pages/Kids/0/Contents/0", TWalkFault::None, 6, 8, "", "(data)"},  // through a referenced array
        {"3/Resources/Font", TWalkFault::None, 2, 3, "/Resources/Font", "<<\n  /F1 5 0 R\n>>"},
        {"page/2", TWalkFault::None, 0, 4, "", nullptr},
        {"5", TWalkFault::None, 0, 5, "", nullptr},
        {"5 0", TWalkFault::None, 0, 5, "", nullptr},
        {"trailer/Root/Missing/Kids", TWalkFault::NoKey, 1, 1, "", nullptr},
        {"trailer/Root/Pages/Kids/2", TWalkFault::NoIndex, 3, 2, "/Kids", nullptr},
        {"trailer/Root/Pages/Kids/x", TWalkFault::NoIndex, 3, 2, "/Kids", nullptr},
        {"trailer/Root/Pages/Count/0", TWalkFault::NotContainer, 3, 2, "/Count", nullptr},
        {"trailer/Loop", TWalkFault::NoObject, 0, -1, "", nullptr},       // 7 -> 10 -> 7
        {"trailer/Root/Names/A#20B", TWalkFault::NoObject, 2, -1, "", nullptr},
        {"9", TWalkFault::NoObject, 0, -1, "", nullptr},  // free
        {"0", TWalkFault::NoObject, 0, -1, "", nullptr},
        {"5 1", TWalkFault::NoObject, 0, -1, "", nullptr},  // another generation
        {"page/3", TWalkFault::NoObject, 0, -1, "", nullptr},
    };
    for (const auto& c : cases) {
        TMemorySource source;
        const TWalkResult result = WalkToTarget(source, *ParseShowTarget(c.What));
        EXPECT_EQ(result.Fault, c.Fault) << c.What;
        if (c.Fault == TWalkFault::NoObject && c.Object < 0) continue;
        EXPECT_EQ(result.FailedStep, c.FailedStep) << c.What;
        EXPECT_EQ(result.Object, c.Object) << c.What;
        EXPECT_EQ(result.Inside, c.Inside) << c.What;
        if (c.Written != nullptr) {
            EXPECT_EQ(WrittenValue(*result.Value), c.Written) << c.What;
        }
    }
}

TEST(ObjectPathTest, FindsEveryReferrerWithoutFollowingReferences) {
    const struct {
        int32_t Number;
        std::vector<std::pair<int32_t, std::string>> Referrers;
    } cases[] = {
        {5, {{3, "/Resources/Font/F1"}, {4, "/Resources/Font/F1"}}},
        {2, {{1, "/Pages"}, {3, "/Parent"}, {4, "/Parent"}}},
        {1, {{-1, "/Root"}}},
        {7, {{-1, "/Loop"}, {1, "/Names/A#20B"}, {10, ""}}},
        {3, {{2, "/Kids[0]"}}},
        {8, {{6, "[0]"}}},
        {9, {}},
    };
    for (const auto& c : cases) {
        TMemorySource source;
        std::vector<std::pair<int32_t, std::string>> found;
        for (const TReferrer& referrer : FindReferrers(source, c.Number))
            found.emplace_back(referrer.Object, referrer.Inside);
        EXPECT_EQ(found, c.Referrers) << c.Number;
        EXPECT_EQ(source.TotalReads(), 9) << "each object read once";
        for (const auto& [number, reads] : source.Reads) EXPECT_EQ(reads, 1) << number;
    }
}

}  // namespace
