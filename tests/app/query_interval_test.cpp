// The interval box's rules: what may be typed, how its text reads, and the
// five-minute floor.
#include "app/query_interval.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace tolvane {
namespace {

TEST(QueryIntervalTest, TextReadsAsAClampedSigned32BitValue) {
    struct Case {
        const char* text;
        std::int32_t value;
    };
    const Case cases[] = {
        {"300000", 300000},
        {"", 0},
        {"-", 0},
        {"abc", 0},
        {"--5", 0},
        {"12-3", 12},
        {"-299999", -299999},
        {"2147483647", 2147483647},
        {"2147483648", 2147483647},
        {"99999999999", 2147483647},
        {"-2147483648", INT32_MIN},
        {"-99999999999999999999999", INT32_MIN},
        {"000300000", 300000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(intervalValue(c.text), c.value) << '"' << c.text << '"';
}

TEST(QueryIntervalTest, OnlyDigitsAndMinusMayBeTyped) {
    EXPECT_TRUE(isIntervalInput(""));
    EXPECT_TRUE(isIntervalInput("-300000"));
    EXPECT_TRUE(isIntervalInput("1-2-"));
    EXPECT_FALSE(isIntervalInput("3e5"));
    EXPECT_FALSE(isIntervalInput(" 300000"));
    EXPECT_FALSE(isIntervalInput("+5"));
}

TEST(QueryIntervalTest, FiveMinutesIsTheShortestInterval) {
    EXPECT_FALSE(intervalAccepted(299999));
    EXPECT_TRUE(intervalAccepted(300000));
    EXPECT_TRUE(intervalAccepted(INT32_MAX));
    EXPECT_FALSE(intervalAccepted(0));
    EXPECT_FALSE(intervalAccepted(-300000));
}

} // namespace
} // namespace tolvane
