// The object reader's cache: the least recently used object goes first once
// the costs pass the budget, and a lookup counts as a use.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdf/ObjectCache.h"

using namespace lumerra;

TEST(ObjectCache, LetsTheLeastRecentlyUsedGoPastItsBudget) {
    struct Step {
        char Op;  // 'k' keeps Number at Cost, 'f' finds Number
        int32_t Number;
        int64_t Cost;
    };
    struct Case {
        const char* What;
        std::vector<Step> Steps;
        std::string Kept;  // of objects 0 to 9, after the steps
        int64_t Cost;
    };
    const std::vector<Case> cases = {
        {"within the budget", {{'k', 1, 4}, {'k', 2, 4}, {'k', 3, 2}}, "123", 10},
        {"the oldest goes first", {{'k', 1, 4}, {'k', 2, 4}, {'k', 3, 4}}, "23", 8},
        {"a lookup makes it the newest", {{'k', 1, 4}, {'k', 2, 4}, {'f', 1, 0}, {'k', 3, 4}}, "13", 8},
        {"one large object takes all", {{'k', 1, 4}, {'k', 2, 4}, {'k', 3, 30}}, "3", 30},
        {"a slot let go is used again", {{'k', 1, 6}, {'k', 2, 6}, {'k', 3, 6}, {'k', 4, 6}}, "4", 6},
        {"numbers past the table are not kept", {{'k', 5, 1}, {'k', 12, 1}, {'k', -1, 1}}, "5", 1},
    };
    for (const Case& c : cases) {
        TObjectCache cache(10, 10);
        for (const Step& step : c.Steps) {
            if (step.Op == 'k')
                cache.Keep(step.Number, std::make_shared<const TValue>(TValue::Integer(step.Number)), step.Cost);
            else
                ASSERT_NE(cache.Find(step.Number), nullptr) << c.What;
        }
        std::string kept;
        for (int32_t n = 0; n < 10; ++n)
            if (const TValuePtr* value = cache.Find(n)) {
                EXPECT_EQ((*value)->AsInteger(), n) << c.What;
                kept += std::to_string(n);
            }
        EXPECT_EQ(kept, c.Kept) << c.What;
        EXPECT_EQ(cache.Cost(), c.Cost) << c.What;
    }
}
