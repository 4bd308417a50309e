#include "canvas/axis_ticks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace calvex {
namespace {

// A round step: 1, 2 or 5 times a power of ten.
bool isRoundStep(double step) {
    const double power = std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    const double m = step / power;
    return std::fabs(m - 1) < 1e-6 || std::fabs(m - 2) < 1e-6 || std::fabs(m - 5) < 1e-6;
}

bool onStep(double value, double step) {
    const double k = value / step;
    return std::fabs(k - std::round(k)) < 1e-6;
}

TEST(AxisTicksTest, FittedAxesEndOnFiveToTenRoundTicksAroundTheReadingsForEverySpan) {
    // Spans from a tenth of a degree to the whole of a thermocouple, at several places.
    for (double span = 0.1; span <= 2000; span *= 1.13) {
        for (const double low : {-200.0, -0.35, 0.0, 21.3, 987.6}) {
            const double high = low + span;
            const FittedAxis a = fitAxis(low, high);
            SCOPED_TRACE(testing::Message() << low << " .. " << high);
            EXPECT_GE(a.ticks.count, 5);
            EXPECT_LE(a.ticks.count, 10);
            EXPECT_TRUE(isRoundStep(a.ticks.step)) << a.ticks.step;
            EXPECT_TRUE(onStep(a.min, a.ticks.step));
            EXPECT_TRUE(onStep(a.max, a.ticks.step));
            EXPECT_DOUBLE_EQ(a.min, a.ticks.first);
            EXPECT_NEAR(a.max, a.ticks.at(a.ticks.count - 1), 1e-9 * (1 + std::fabs(a.max)));
            // The readings are inside, with a margin, and the axis is not much wider than them.
            EXPECT_LT(a.min, low);
            EXPECT_GT(a.max, high);
            EXPECT_LT(a.max - a.min, std::max(span, 1.0) * 3);
        }
    }
}

TEST(AxisTicksTest, AFlatLineSitsInTheMiddleOfAOneDegreeAxis) {
    const FittedAxis a = fitAxis(21.3, 21.3);
    EXPECT_LT(a.min, 20.8);
    EXPECT_GT(a.max, 21.8);
    EXPECT_LT(a.max - a.min, 2);
    EXPECT_NEAR((a.min + a.max) / 2, 21.3, 0.3);
}

TEST(AxisTicksTest, TicksInsideAGivenSpanAndTheirLabels) {
    struct Case {
        double min, max;
        double first, step;
        int count;
        const char* firstLabel;
    };
    const Case cases[] = {
        // The thermocouple's whole span: 500 apart would give four ticks.
        {-200, 1760, -200, 200, 10, "-200"},
        {20, 30, 20, 2, 6, "20"},
        {24.38, 28.13, 24.5, 0.5, 8, "24.5"},
        {-0.05, 0.05, -0.04, 0.02, 5, "-0.04"},
    };
    for (const Case& c : cases) {
        const AxisTicks t = roundTicks(c.min, c.max);
        SCOPED_TRACE(testing::Message() << c.min << " .. " << c.max);
        EXPECT_NEAR(t.first, c.first, 1e-9);
        EXPECT_DOUBLE_EQ(t.step, c.step);
        EXPECT_EQ(t.count, c.count);
        EXPECT_EQ(tickLabel(t.first, t.step), c.firstLabel);
    }
    EXPECT_EQ(tickLabel(-0.0000001, 0.5), "0.0");  // never "-0.0"
    EXPECT_EQ(tickLabel(24.25, 0.05), "24.25");
    EXPECT_EQ(tickLabel(1760, 200), "1760");
}

TEST(AxisTicksTest, SpansThatCannotBeTickedGetNoTicksAndValueSpanSkipsNonNumbers) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(roundTicks(5, 5).count, 0);
    EXPECT_EQ(roundTicks(6, 5).count, 0);
    EXPECT_EQ(roundTicks(nan, 5).count, 0);
    EXPECT_EQ(roundTicks(0, inf).count, 0);
    EXPECT_EQ(fitAxis(nan, 1).ticks.count, 0);

    ValueSpan span;
    EXPECT_TRUE(span.empty());
    span.add(nan);
    span.add(inf);
    EXPECT_TRUE(span.empty());
    span.add(3);
    span.add(-1);
    span.add(2);
    EXPECT_FALSE(span.empty());
    EXPECT_EQ(span.low(), -1);
    EXPECT_EQ(span.high(), 3);
}

}  // namespace
}  // namespace calvex
