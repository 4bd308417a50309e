#include "stats/update_max_min.h"

#include <gtest/gtest.h>

#include "stats/running_sum.h"

namespace calvex {
namespace {

constexpr const char* kBefore = "10:00:00";
constexpr const char* kNow = "10:00:07";

struct MaxMinCase {
    const char* name;
    ReadingValue value;
    const char* max;  // the labels before the reading
    const char* min;
    const char* wantMax;
    const char* wantMaxTime;
    const char* wantMin;
    const char* wantMinTime;
};

TEST(UpdateMaxMin, EveryCase) {
    const MaxMinCase cases[] = {
        {"first number", 21.3, "", "", "21.3", kNow, "21.3", kNow},
        {"higher number moves the maximum", 25.0, "21.3", "21.3", "25.0", kNow, "21.3", kBefore},
        {"lower number moves the minimum", 20.04, "25.0", "21.3", "25.0", kBefore, "20.0", kNow},
        {"equal to the maximum moves its time", 21.3, "21.3", "20.0", "21.3", kNow, "20.0", kBefore},
        {"equal to the minimum moves its time", 20.0, "21.3", "20.0", "21.3", kBefore, "20.0", kNow},
        {"compared with the shown figure, up", 21.34, "21.3", "20.0", "21.3", kNow, "20.0", kBefore},
        {"compared with the shown figure, down", 21.26, "21.3", "21.3", "21.3", kBefore, "21.3", kNow},
        {"in between changes nothing", 22.0, "25.0", "20.0", "25.0", kBefore, "20.0", kBefore},
        {"blank takes both", "----", "25.0", "20.0", "----", kNow, "----", kNow},
        {"blank stays through numbers", 30.0, "----", "----", "----", kBefore, "----", kBefore},
        {"blank stays through OL", "OL", "----", "----", "----", kBefore, "----", kBefore},
        {"blank stays through -OL", "-OL", "----", "----", "----", kBefore, "----", kBefore},
        {"OL first takes both", "OL", "", "", "OL", kNow, "OL", kNow},
        {"OL later takes the maximum", "OL", "25.0", "20.0", "OL", kNow, "20.0", kBefore},
        {"OL keeps the maximum through numbers", 99.0, "OL", "20.0", "OL", kBefore, "20.0", kBefore},
        {"a number replaces an OL minimum", 10.0, "OL", "OL", "OL", kBefore, "10.0", kNow},
        {"-OL first takes both", "-OL", "", "", "-OL", kNow, "-OL", kNow},
        {"-OL later takes the minimum", "-OL", "25.0", "20.0", "25.0", kBefore, "-OL", kNow},
        {"a number replaces a -OL maximum", 5.0, "-OL", "-OL", "5.0", kNow, "-OL", kBefore},
        {"OL after -OL", "OL", "-OL", "-OL", "OL", kNow, "-OL", kBefore},
        {"-OL after OL", "-OL", "OL", "OL", "OL", kBefore, "-OL", kNow},
        {"T1-T2 text numbers", "-3.5", "-4.0", "-2.0", "-3.5", kNow, "-3.5", kNow},
        {"T1-T2 text first", "12.0", "", "", "12.0", kNow, "12.0", kNow},
        {"negative maximum compared as a number", -10.0, "-12.5", "-12.5", "-10.0", kNow, "-12.5", kBefore},
    };
    for (const MaxMinCase& c : cases) {
        SCOPED_TRACE(c.name);
        MaxMinLabels labels{kBefore, kBefore, c.max, c.min};
        UpdateMaxMin(c.value, labels.max, labels.min, labels, kNow);
        EXPECT_EQ(labels.max, c.wantMax);
        EXPECT_EQ(labels.maxTime, c.wantMaxTime);
        EXPECT_EQ(labels.min, c.wantMin);
        EXPECT_EQ(labels.minTime, c.wantMinTime);
    }
}

TEST(RunningSum, MarkersStickAndOverloadsKeepTheirSign) {
    struct Case {
        ReadingValue sum;
        ReadingValue value;
        ReadingValue want;
    };
    const Case cases[] = {
        {0.0, 21.3, 21.3},       {21.3, "-OL", "-OL"},  {21.3, "OL", "OL"},     {"OL", 5.0, "OL"},
        {"-OL", 5.0, "-OL"},     {"-OL", "-OL", "-OL"}, {"OL", "-OL", "----"},  {"-OL", "OL", "----"},
        {5.0, "----", "----"},   {"----", 5.0, "----"}, {"----", "OL", "----"}, {"OL", "----", "----"},
        {"-OL", "----", "----"}, {1.5, "2.5", 4.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(debugText(c.sum) + " + " + debugText(c.value));
        EXPECT_EQ(addToSum(c.sum, c.value), c.want);
    }
    EXPECT_EQ(averageOf("OL", 3), ReadingValue("OL"));
    EXPECT_EQ(averageOf("-OL", 3), ReadingValue("-OL"));
    EXPECT_EQ(averageOf("----", 3), ReadingValue("----"));
    EXPECT_EQ(averageOf(9.0, 4), ReadingValue(2.25));
}

}  // namespace
}  // namespace calvex
