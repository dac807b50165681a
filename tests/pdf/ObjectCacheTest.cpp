// The object reader's cache: objects parsed once stand on trial, objects
// asked for again are kept in a part of their own, and in each part the
// least recently used goes first once its costs pass its budget.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdf/ObjectCache.h"
#include "pdf/ObjectStreamCache.h"

using namespace lumerra;

TEST(ObjectCache, LetsTheLeastRecentlyUsedOfEachPartGoPastItsBudget) {
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
    // Budgets: 10 on trial, 10 kept.
    const std::vector<Case> cases = {
        {"within the budget", {{'k', 1, 4}, {'k', 2, 4}, {'k', 3, 2}}, "123", 10},
        {"the oldest goes first", {{'k', 1, 4}, {'k', 2, 4}, {'k', 3, 4}}, "23", 8},
        {"a lookup moves it out of the trial", {{'k', 1, 4}, {'k', 2, 4}, {'f', 1, 0}, {'k', 3, 4}, {'k', 4, 4}},
         "134", 12},
        {"one large object takes its part", {{'k', 1, 4}, {'k', 2, 4}, {'k', 3, 30}}, "3", 30},
        {"a slot let go is used again", {{'k', 1, 6}, {'k', 2, 6}, {'k', 3, 6}, {'k', 4, 6}}, "4", 6},
        {"numbers past the table are not kept", {{'k', 5, 1}, {'k', 12, 1}, {'k', -1, 1}}, "5", 1},
        // A shared object larger than the trial's budget is let go by the
        // next object read once; parsed again, it is kept past any number
        // of objects read once.
        {"an object parsed again is kept",
         {{'k', 1, 8}, {'k', 2, 8}, {'k', 1, 8}, {'k', 3, 8}, {'k', 4, 8}, {'k', 5, 8}}, "15", 16},
        {"the kept part lets its oldest go",
         {{'k', 1, 4}, {'k', 2, 4}, {'f', 1, 0}, {'f', 2, 0}, {'k', 3, 4}, {'f', 3, 0}}, "23", 8},
    };
    for (const Case& c : cases) {
        TObjectCache cache({10, 10}, 10);
        for (const Step& step : c.Steps) {
            if (step.Op == 'k')
                cache.Keep(step.Number, std::make_shared<const TValue>(TValue::Integer(step.Number)), step.Cost);
            else
                ASSERT_NE(cache.Find(step.Number), nullptr) << c.What;
        }
        EXPECT_EQ(cache.Cost(), c.Cost) << c.What;
        std::string kept;
        for (int32_t n = 0; n < 10; ++n)
            if (const TValuePtr* value = cache.Find(n)) {
                EXPECT_EQ((*value)->AsInteger(), n) << c.What;
                kept += std::to_string(n);
            }
        EXPECT_EQ(kept, c.Kept) << c.What;
    }
}

// Decoded object streams: each decoded once, what cannot be decoded
// remembered, and past the byte limit the least recently used let go while
// its holders keep it.
TEST(ObjectStreamCache, DecodesEachStreamOnceWithinItsLimit) {
    struct Case {
        const char* What;
        std::vector<int32_t> Gets;  // stream numbers asked for, in order; 9 cannot be decoded
        std::string Decodings;      // the streams decoded, in order
    };
    // Each stream takes 4 bytes; the limit is 8.
    const std::vector<Case> cases = {
        {"decoded once", {1, 1, 2, 1, 2}, "12"},
        {"what cannot be decoded is not tried again", {9, 9, 1, 9}, "91"},
        {"past the limit the oldest goes", {1, 2, 3, 1}, "1231"},
        {"a stream asked for again is not the oldest", {1, 2, 1, 3, 1, 2}, "1232"},
    };
    for (const Case& c : cases) {
        TObjectStreamCache cache(8);
        std::string decodings;
        TDecodedObjectStreamPtr held;
        for (const int32_t number : c.Gets) {
            const TDecodedObjectStreamPtr stream = cache.Get(number, [&]() -> std::optional<TDecodedObjectStream> {
                decodings += std::to_string(number);
                if (number == 9) return std::nullopt;
                return TDecodedObjectStream{std::vector<uint8_t>(4, static_cast<uint8_t>(number)), {}};
            });
            EXPECT_EQ(stream == nullptr, number == 9) << c.What;
            if (stream) {
                EXPECT_EQ(stream->Data.front(), number) << c.What;
            }
            if (!held) held = stream;
        }
        EXPECT_EQ(decodings, c.Decodings) << c.What;
        // The first stream handed out lives on in its holder, kept or not.
        if (held) {
            EXPECT_EQ(held->Data.size(), 4u) << c.What;
        }
    }
}
