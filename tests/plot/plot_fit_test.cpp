#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "plot/plot_chart.h"
#include "plot/plot_fit.h"
#include "plot/plot_range_check.h"
#include "plot/plot_variables.h"
#include "support/plot_fakes.h"
#include "support/recording_canvas.h"
#include "support/test_session.h"

namespace calvex {
namespace {

using test::setWholeListRange;
using Call = test::RecordingCanvas::Call;

const PlotCaption kNoCaption{[] { return std::string("Plot Data/File "); }, [](const std::string&) {}};

// A list of one reading per record (or T1, T2, T1-T2 per record), all in `unit`.
void fill(test::FakeList& list, const std::vector<std::vector<std::string>>& records,
          const std::string& unit) {
    for (const auto& readings : records)
        list.addRecord(readings, unit);
}

// A text that is a whole number as written, and its value.
bool asNumber(const std::string& text, double& value) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

struct PlotFitTest : ::testing::Test {
    test::TestSession t;
    Session& s = t.session;
};

TEST_F(PlotFitTest, TheAxisSpansTheReadingsOfFixedDataSets) {
    struct Case {
        const char* name;
        bool dual;
        std::vector<std::vector<std::string>> records;
        const char* recordUnit;
        const char* plotUnit;
        double min, max;
    };
    const Case cases[] = {
        // A flat line: a one-degree span about it, in tenths of a degree.
        {"flat line", false, {{"21.3"}, {"21.3"}, {"21.3"}, {"21.3"}}, "C", "C", 20.6, 22},
        {"step", false, {{"20.0"}, {"20.0"}, {"20.0"}, {"30.0"}, {"30.0"}, {"30.0"}}, "C", "C", 15, 35},
        // Overloads and records without a value are no readings: the fit is that of 25 and 27.
        {"overloads and gaps",
         false,
         {{"OL"}, {"25.0"}, {"-OL"}, {"----"}, {"27.0"}, {""}},
         "C",
         "C",
         24,
         28},
        {"single record", false, {{"100.0"}}, "C", "C", 99, 101},
        // Every curve counts, T1-T2 too.
        {"dual", true, {{"20.0", "22.0", "-2.0"}, {"20.5", "21.0", "-0.5"}}, "C", "C", -10, 30},
        {"dual with a T2 overload",
         true,
         {{"20.0", "OL", "----"}, {"21.0", "-OL", "----"}},
         "C",
         "C",
         19.5,
         21.5},
        // Records are converted to the axis unit first: 32 F to 212 F is 0 C to 100 C.
        {"another unit", false, {{"32.0"}, {"212.0"}}, "F", "C", -50, 150},
        // The fit never leaves the unit's span, so the Limit dialog takes what it shows.
        {"near the top", false, {{"100.0"}, {"1755.0"}}, "C", "C", 0, 1760},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::FakeList list(c.dual);
        fill(list, c.records, c.recordUnit);
        setWholeListRange(s, c.plotUnit, static_cast<int>(c.records.size()));
        s.PlotTempMin = -100;
        s.PlotTempMax = 500;
        ASSERT_TRUE(fitPlotAxis(s, list.grid(), c.dual));
        EXPECT_TRUE(s.plotFit.on);
        EXPECT_DOUBLE_EQ(s.PlotTempMin, c.min);
        EXPECT_DOUBLE_EQ(s.PlotTempMax, c.max);
        EXPECT_EQ(plotAxisLabels(s), AxisLabels::RoundTicks);
        // Fit off gives back the span before it.
        unfitPlotAxis(s);
        EXPECT_FALSE(s.plotFit.on);
        EXPECT_EQ(s.PlotTempMin, -100);
        EXPECT_EQ(s.PlotTempMax, 500);
        EXPECT_EQ(plotAxisLabels(s), AxisLabels::Eighths);
    }
}

TEST_F(PlotFitTest, OnlyTheRecordsOfThePlottedRangeCount) {
    test::FakeList list(false);
    fill(list, {{"500.0"}, {"500.0"}, {"20.0"}, {"30.0"}, {"900.0"}}, "C");
    setWholeListRange(s, "C", 5);
    s.PlotFirstRecord = 3;
    s.PlotLastRecord = 4;
    s.PlotRecordCount = 2;
    ASSERT_TRUE(fitPlotAxis(s, list.grid(), false));
    EXPECT_EQ(s.PlotTempMin, 15);
    EXPECT_EQ(s.PlotTempMax, 35);
    // A range beyond the list's rows reads only the rows there are.
    s.PlotLastRecord = 1e30f;
    const ValueSpan span = plotReadingSpan(s, list.grid(), false);
    EXPECT_EQ(span.low(), 20);
    EXPECT_EQ(span.high(), 900);
}

TEST_F(PlotFitTest, RecordsWithoutReadingsLeaveTheAxisAsItIs) {
    const std::vector<std::vector<std::string>> sets[] = {
        {{"----"}, {"OL"}, {"-OL"}},
        {{"----"}},
    };
    for (const auto& records : sets) {
        test::FakeList list(false);
        fill(list, records, "C");
        setWholeListRange(s, "C", static_cast<int>(records.size()));
        EXPECT_FALSE(fitPlotAxis(s, list.grid(), false));
        EXPECT_FALSE(s.plotFit.on);
        EXPECT_EQ(s.PlotTempMin, -200);
        EXPECT_EQ(s.PlotTempMax, 1760);
    }
    // A list with no records at all.
    test::FakeList empty(false);
    setWholeListRange(s, "C", 0);
    EXPECT_FALSE(fitPlotAxis(s, empty.grid(), false));
    EXPECT_EQ(s.PlotTempMax, 1760);
}

TEST_F(PlotFitTest, AFittedAxisIsLabelledOnItsRoundTicks) {
    test::FakeList list(false);
    fill(list, {{"20.0"}, {"20.0"}, {"30.0"}, {"30.0"}}, "C");
    setWholeListRange(s, "C", 4);
    ASSERT_TRUE(fitPlotAxis(s, list.grid(), false));

    test::RecordingCanvas canvas{392, 364};
    ASSERT_TRUE(drawPlot(s, canvas, kNoCaption, 392, 364, &list.grid(), false));
    // Plotting area y 73..337: 264 high, 15 C at the baseline, 35 C at the top.
    std::vector<std::string> labels;
    for (const Call& text : canvas.ofKind(Call::Text)) {
        double value = 0;
        if (text.x1 >= 60 || !asNumber(text.text, value))
            continue;
        labels.push_back(text.text);
        const double tickY = 337 - (value - 15) / 20 * 264;
        EXPECT_DOUBLE_EQ(text.y1 + 16.0 / 2, tickY) << text.text;
        // Right-aligned against the tick, clear of it.
        EXPECT_DOUBLE_EQ(text.x1 + 7.0 * text.text.size(), 48) << text.text;
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"15", "20", "25", "30", "35"}));
    // A long tick at every label, a short one halfway between.
    std::vector<double> longTicks, shortTicks;
    for (const Call& line : canvas.ofKind(Call::Line)) {
        if (line.x1 == 58 && line.y1 == line.y2 && line.x2 == 50)
            longTicks.push_back(line.y1);
        if (line.x1 == 58 && line.y1 == line.y2 && line.x2 == 53)
            shortTicks.push_back(line.y1);
    }
    EXPECT_EQ(longTicks, (std::vector<double>{337, 271, 205, 139, 73}));
    EXPECT_EQ(shortTicks, (std::vector<double>{304, 238, 172, 106}));
    // The dotted grid lines meet the labels; the solid middle line stays.
    std::vector<double> dotted;
    for (const Call& line : canvas.ofKind(Call::Line))
        if (line.style == LineStyle::Dotted && line.y1 == line.y2 && line.x1 == 60 && dotted.size() < 4)
            dotted.push_back(line.y1);
    EXPECT_EQ(dotted, (std::vector<double>{271, 205, 139, 73}));
}

TEST_F(PlotFitTest, TypedLimitsEndTheFitAndTheLabelsGoBackToEighths) {
    test::FakeList list(false);
    fill(list, {{"20.0"}, {"30.0"}}, "C");
    setWholeListRange(s, "C", 2);
    ASSERT_TRUE(fitPlotAxis(s, list.grid(), false));
    // What the dialog shows, typed back unchanged, is accepted.
    const PlotRangeEntry entry = readPlotRange("15", "35", "1", "2");
    EXPECT_FALSE(plotRangeRefusal(s, entry));
    applyPlotRange(s, entry);
    EXPECT_FALSE(s.plotFit.on);

    test::RecordingCanvas canvas{392, 364};
    drawPlot(s, canvas, kNoCaption, 392, 364, &list.grid(), false);
    std::vector<std::string> labels;
    for (const Call& text : canvas.ofKind(Call::Text)) {
        if (text.x1 < 60 && text.y1 < 337 + 10 && text.text != "C")
            labels.push_back(text.text);
    }
    EXPECT_EQ(labels,
              (std::vector<std::string>{"15.", "17.5", "20.", "22.5", "25.", "27.5", "30.", "32.5", "35."}));
    // A new plot from a list starts unfitted.
    ASSERT_TRUE(fitPlotAxis(s, list.grid(), false));
    ASSERT_TRUE(setPlotVariables(s, list.grid(), ListKind::File, 3));
    EXPECT_FALSE(s.plotFit.on);
    EXPECT_EQ(s.PlotTempMax, 1760);
}

}  // namespace
}  // namespace calvex
