// The object browser's find: the next object holding a key or a name value,
// wrapping around, and the place inside it as a path.
#include <gtest/gtest.h>

#include "model/ObjectSearch.h"
#include "support/MemoryObjectSource.h"

using namespace lumerra;

TEST(ObjectSearchTest, FindsTheNextObjectWithTheKeyOrName) {
    test::TMemoryObjectSource source("<< /Root 1 0 R >>",
                                     {{1, "<< /Type /Catalog /Pages 2 0 R >>"},
                                      {2, "<< /Type /Pages /Kids [3 0 R] >>"},
                                      {3, "<< /Type /Page /Resources << /Font << /F1 4 0 R >> >> /Annots [<< /S /URI >>] >>"},
                                      {4, "<< /Type /Font /BaseFont /A#20B >>"}});
    const struct {
        const char* Text;
        int32_t From;
        int32_t Object;  // -1: none
        const char* Inside;
    } cases[] = {
        {"/Page", -1, 3, "/Type"},         // a name value, not /Pages
        {"Page", 3, 3, "/Type"},           // wraps around to the object it started from
        {"Font", 3, 4, "/Type"},           // after the object it starts from
        {"Font", 4, 3, "/Resources/Font"},  // a key, wrapping to the start
        {"URI", 0, 3, "/Annots[0]/S"},
        {"A B", -1, 4, "/BaseFont"},        // decoded, with a space
        {"Nothing", -1, -1, ""},
        {"/", -1, -1, ""},
    };
    for (const auto& c : cases) {
        const auto found = FindKeyOrName(source, c.Text, c.From);
        ASSERT_EQ(found.has_value(), c.Object >= 0) << c.Text;
        if (!found) continue;
        EXPECT_EQ(found->Object, c.Object) << c.Text;
        EXPECT_EQ(found->Inside, c.Inside) << c.Text;
    }
}

TEST(ObjectSearchTest, InsideBecomesAPathThatParses) {
    const struct {
        const char* Inside;
        const char* Path;
        std::vector<std::string> Steps;
    } cases[] = {
        {"", "", {}},
        {"/Kids[0]", "Kids/0", {"Kids", "0"}},
        {"/Resources/Font/F1", "Resources/Font/F1", {"Resources", "Font", "F1"}},
        {"/A#20B[2]/C", "A#20B/2/C", {"A B", "2", "C"}},
    };
    for (const auto& c : cases) {
        const std::string path = InsideAsPath(c.Inside);
        EXPECT_EQ(path, c.Path);
        const auto target = ParseShowTarget("7" + (path.empty() ? "" : "/" + path));
        ASSERT_TRUE(target.has_value()) << c.Inside;
        EXPECT_EQ(target->Steps, c.Steps) << c.Inside;
    }
}
