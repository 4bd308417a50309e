#include <gtest/gtest.h>

#include "instrument/text_format.h"
#include "plot/plot_chart.h"
#include "plot/plot_list.h"
#include "plot/plot_units.h"
#include "support/plot_fakes.h"
#include "support/recording_canvas.h"
#include "support/test_session.h"

namespace calvex {
namespace {

using test::setWholeListRange;
using Call = test::RecordingCanvas::Call;

const Rgb kGrey = paletteColor(7);

// Client 392 x 364: plotting area x 60..390, y 73..337 (H 264).
constexpr double kLeft = 60, kBase = 337, kHeight = 264;

struct PlotListTest : ::testing::Test {
    test::TestSession t;
    Session& s = t.session;
    test::RecordingCanvas canvas{392, 364};
    std::string caption = "Plot Data/File ";
    std::vector<std::string> captions;
    PlotCaption captionAccess{[this] { return caption; },
                              [this](const std::string& text) {
                                  caption = text;
                                  captions.push_back(text);
                              }};

    // Geometry as the window sets it, then only the records: the canvas holds PlotList's calls.
    bool plot(test::FakeList& list) {
        setPlotGeometry(s, 392, 364);
        s.DataPlotPrevX = 0;
        return PlotList(s, canvas, captionAccess, &list.grid(), list.dual());
    }
    std::vector<Call> linesOf(Rgb color, LineStyle style = LineStyle::Solid) const {
        std::vector<Call> out;
        for (const Call& c : canvas.ofKind(Call::Line))
            if (c.color == color && c.style == style)
                out.push_back(c);
        return out;
    }
    // Vertical dotted lines: the time marks' lines.
    std::vector<Call> markLines() const {
        std::vector<Call> out;
        for (const Call& c : linesOf(kGrey, LineStyle::Dotted))
            if (c.x1 == c.x2)
                out.push_back(c);
        return out;
    }
    std::vector<Call> shortMarks() const {
        std::vector<Call> out;
        for (const Call& c : linesOf(kGrey))
            if (c.x1 == c.x2)
                out.push_back(c);
        return out;
    }
};

double yOf(double value, double min, double max) {
    return kBase - kHeight * (value - min) / (max - min);
}

void fill(test::FakeList& list, int records, const std::string& unit = "C") {
    for (int i = 1; i <= records; ++i) {
        const std::string v = std::to_string(10 * i);
        list.addRecord(list.dual() ? std::vector<std::string>{v, v, "0"} : std::vector<std::string>{v}, unit);
    }
}

TEST_F(PlotListTest, RecordsStandOneStepApartFromTheLeftEdge) {
    test::FakeList list(false);
    fill(list, 7);
    setWholeListRange(s, "C", 7);
    ASSERT_TRUE(plot(list));
    const auto curve = linesOf(kBlack);
    // No segment runs into the first record.
    ASSERT_EQ(curve.size(), 6u);
    const double step = 330.0f / 7.0f;
    for (int r = 2; r <= 7; ++r) {
        const Call& seg = curve[r - 2];
        EXPECT_NEAR(seg.x1, kLeft + (r - 2) * step, 1e-3) << r;
        EXPECT_NEAR(seg.x2, kLeft + (r - 1) * step, 1e-3) << r;
        EXPECT_DOUBLE_EQ(seg.y2, yOf(10 * r, -200, 1760)) << r;
        EXPECT_DOUBLE_EQ(seg.y1, yOf(10 * (r - 1), -200, 1760)) << r;
    }
    // The last record stands one step short of the right edge.
    EXPECT_NEAR(curve.back().x2, kLeft + 330 - step, 1e-3);
}

TEST_F(PlotListTest, GridLinesBeforeEveryRecord) {
    test::FakeList list(true);
    fill(list, 3);
    setWholeListRange(s, "C", 3);
    ASSERT_TRUE(plot(list));
    const auto& calls = canvas.calls;
    // Record 1: eight grid lines come first, the solid middle line then the dotted ones.
    ASSERT_GE(calls.size(), 8u);
    EXPECT_EQ(calls[0].style, LineStyle::Solid);
    EXPECT_EQ(calls[0].x1, 58);
    EXPECT_EQ(calls[0].x2, 392);
    EXPECT_DOUBLE_EQ(calls[0].y1, kBase - kHeight / 2);
    const double eighths[] = {1, 7, 6, 5, 8, 3, 2};
    for (int k = 0; k < 7; ++k) {
        const Call& c = calls[1 + k];
        EXPECT_EQ(c.color, kGrey);
        EXPECT_EQ(c.style, LineStyle::Dotted);
        EXPECT_EQ(c.x1, kLeft);
        EXPECT_EQ(c.x2, kLeft + 330);
        EXPECT_DOUBLE_EQ(c.y1, kBase - eighths[k] * kHeight / 8);
        EXPECT_DOUBLE_EQ(c.y2, c.y1);
    }
    int middleLines = 0;
    for (const Call& c : linesOf(kGrey))
        if (c.y1 == c.y2)
            ++middleLines;
    EXPECT_EQ(middleLines, 3);
    // Each record's segments follow its grid: the grid lies over the earlier records' curves.
    const auto lines = canvas.ofKind(Call::Line);
    std::size_t lastBlue = 0, lastMiddle = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].color == kBlue)
            lastBlue = i;
        if (lines[i].color == kGrey && lines[i].y1 == lines[i].y2 && lines[i].style == LineStyle::Solid)
            lastMiddle = i;
    }
    EXPECT_LT(lastMiddle, lastBlue);
}

TEST_F(PlotListTest, MarksAndOutOfRangeValuesAreClipped) {
    struct Case {
        std::string cell;
        double min, max;
        double y;
        std::string axis = "C";
    };
    const double top = kBase - (kHeight + 5);
    const double bottom = kBase + 3;
    const Case cases[] = {
        {"OL", 0, 100, top},
        {"-OL", 0, 100, bottom},
        // The marks are told apart before their 0 is compared with the axis: a negative
        // overload stays at the bottom of an axis wholly below zero, or below 273.2 K.
        {"-OL", -100, -10, bottom},
        {"-OL", 0, 200, bottom, "K"},
        {"OL", 300, 400, top, "K"},
        {"101", 0, 100, top},
        {"-1", 0, 100, bottom},
        {"100", 0, 100, kBase - kHeight},
        {"0", 0, 100, kBase},
        {"50", 0, 100, kBase - kHeight / 2},
        {" 25abc", 0, 100, kBase - kHeight / 4},
    };
    for (const Case& c : cases) {
        canvas.reset();
        test::FakeList list(false);
        list.addRecord({"50"}, "C");
        list.addRecord({c.cell}, "C");
        setWholeListRange(s, c.axis, 2);
        s.PlotTempMin = c.min;
        s.PlotTempMax = c.max;
        ASSERT_TRUE(plot(list));
        const auto curve = linesOf(kBlack);
        ASSERT_EQ(curve.size(), 1u) << c.cell;
        EXPECT_DOUBLE_EQ(curve[0].y2, c.y) << c.cell << " on " << c.min << ".." << c.max << " " << c.axis;
    }
}

TEST_F(PlotListTest, ARecordWithoutAValueBreaksTheCurve) {
    struct Case {
        std::vector<std::string> cells;  // the single readings, records 1..n
        // The segments drawn, as (from record, to record).
        std::vector<std::pair<int, int>> segments;
    };
    const Case cases[] = {
        {{"10", "----", "30"}, {}},
        {{"10", "20", "----", "40", "50"}, {{1, 2}, {4, 5}}},
        {{"----", "20", "30"}, {{2, 3}}},
        {{"10", "20", "----"}, {{1, 2}}},
        {{"10", "----", "----", "OL", "-OL"}, {{4, 5}}},
        {{"----", "----"}, {}},
    };
    for (const Case& c : cases) {
        canvas.reset();
        test::FakeList list(false);
        for (const std::string& cell : c.cells)
            list.addRecord({cell}, "C");
        const int n = static_cast<int>(c.cells.size());
        setWholeListRange(s, "C", n);
        ASSERT_TRUE(plot(list));
        const auto curve = linesOf(kBlack);
        ASSERT_EQ(curve.size(), c.segments.size()) << c.cells.size();
        const float step = 330.0f / static_cast<float>(n);
        for (std::size_t k = 0; k < curve.size(); ++k) {
            const auto [from, to] = c.segments[k];
            EXPECT_NEAR(curve[k].x1, kLeft + (from - 1) * step, 1e-3);
            EXPECT_NEAR(curve[k].x2, kLeft + (to - 1) * step, 1e-3);
            // Nothing is drawn at the top of the scale for a missing value.
            EXPECT_GT(curve[k].y1, kBase - kHeight - 5 - 1e-9);
        }
    }
}

TEST_F(PlotListTest, AGapBreaksOnlyItsOwnSeries) {
    test::FakeList list(true);
    list.addRecord({"10", "10", "0"}, "C");
    list.addRecord({"20", "----", "----"}, "C");
    list.addRecord({"30", "30", "0"}, "C");
    setWholeListRange(s, "C", 3);
    ASSERT_TRUE(plot(list));
    EXPECT_EQ(linesOf(kBlack).size(), 2u);
    EXPECT_TRUE(linesOf(kBlue).empty());
    EXPECT_TRUE(linesOf(kRed).empty());
}

TEST_F(PlotListTest, EachFileAfterTheFirstStartsItsCurvesAnew) {
    struct Case {
        std::vector<long long> breaks;  // the first record of each file after the first
        std::vector<std::pair<int, int>> segments;
    };
    const Case cases[] = {
        {{}, {{1, 2}, {2, 3}, {3, 4}, {4, 5}}},
        {{3}, {{1, 2}, {3, 4}, {4, 5}}},
        {{2, 5}, {{2, 3}, {3, 4}}},
        {{1, 9}, {{1, 2}, {2, 3}, {3, 4}, {4, 5}}},
    };
    for (const Case& c : cases) {
        canvas.reset();
        test::FakeList list(true);
        fill(list, 5);
        setWholeListRange(s, "C", 5);
        setPlotGeometry(s, 392, 364);
        s.DataPlotPrevX = 0;
        ASSERT_TRUE(PlotList(s, canvas, captionAccess, &list.grid(), true, c.breaks));
        for (const Rgb color : {kBlack, kBlue, kRed}) {
            const auto curve = linesOf(color);
            ASSERT_EQ(curve.size(), c.segments.size());
            for (std::size_t k = 0; k < curve.size(); ++k) {
                EXPECT_NEAR(curve[k].x1, kLeft + (c.segments[k].first - 1) * 66.0, 1e-3);
                EXPECT_NEAR(curve[k].x2, kLeft + (c.segments[k].second - 1) * 66.0, 1e-3);
            }
        }
    }
}

TEST_F(PlotListTest, RecordsAreConvertedToTheAxisUnit) {
    struct Case {
        std::string axis, unit;
        std::vector<std::string> cells;  // T1, T2, T1-T2
        double t1, diff;
    };
    const Case cases[] = {
        {"K", "F", {"212", "0", "18"}, 373.2, 10},
        {"C", "F", {"212", "0", "18"}, 100, 10},
        {"C", "K", {"373.2", "0", "18"}, 100, 18},
        {"F", "C", {"100", "0", "10"}, 212, 18},
        {"F", "K", {"373.2", "0", "10"}, 212, 18},
        {"K", "C", {"100", "0", "10"}, 373.2, 10},
        {"C", "C", {"100", "0", "10"}, 100, 10},
        // An empty unit counts as K on C and F axes, as C on a K axis.
        {"C", "", {"373.2", "0", "18"}, 100, 18},
        {"F", "", {"373.2", "0", "10"}, 212, 18},
        {"K", "", {"100", "0", "10"}, 373.2, 10},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(toPlotUnit(leadingNumber(c.cells[0]), c.unit, c.axis, false), c.t1, 1e-9)
            << c.unit << "->" << c.axis;
        EXPECT_NEAR(toPlotUnit(leadingNumber(c.cells[2]), c.unit, c.axis, true), c.diff, 1e-9)
            << c.unit << "->" << c.axis;

        canvas.reset();
        test::FakeList list(true);
        list.addRecord({"0", "0", "0"}, c.unit);
        list.addRecord(c.cells, c.unit);
        setWholeListRange(s, c.axis, 2);
        s.PlotTempMin = 0;
        s.PlotTempMax = 400;
        ASSERT_TRUE(plot(list));
        ASSERT_EQ(linesOf(kBlack).size(), 1u);
        ASSERT_EQ(linesOf(kRed).size(), 1u);
        EXPECT_NEAR(linesOf(kBlack)[0].y2, yOf(c.t1, 0, 400), 1e-9) << c.unit << "->" << c.axis;
        EXPECT_NEAR(linesOf(kRed)[0].y2, yOf(c.diff, 0, 400), 1e-9) << c.unit << "->" << c.axis;
    }
}

TEST_F(PlotListTest, RangeTestsUseTheConvertedValue) {
    // 212 F is 373.2 K: above an axis ending at 373.1, inside one ending at 373.3.
    for (const double max : {373.1, 373.3}) {
        canvas.reset();
        test::FakeList list(false);
        list.addRecord({"0"}, "F");
        list.addRecord({"212"}, "F");
        setWholeListRange(s, "K", 2);
        s.PlotTempMax = max;
        ASSERT_TRUE(plot(list));
        const double y = linesOf(kBlack).at(0).y2;
        if (max < 373.2)
            EXPECT_DOUBLE_EQ(y, kBase - kHeight - 5);
        else
            EXPECT_NEAR(y, yOf(373.2, 0, max), 1e-9);
    }
}

TEST_F(PlotListTest, TimeMarksAtFifthsAndTenths) {
    struct Case {
        int records;
        std::vector<int> dotted;
        std::vector<int> shortMarks;
    };
    const Case cases[] = {
        {12, {1, 2, 4, 7, 9, 12}, {3, 6, 8, 10}}, {1, {1}, {}}, {2, {1, 2}, {}}, {5, {1, 2, 3, 4, 5}, {}},
        {10, {1, 2, 4, 6, 8, 10}, {3, 5, 7, 9}},
    };
    for (const Case& c : cases) {
        canvas.reset();
        test::FakeList list(true);
        fill(list, c.records);
        setWholeListRange(s, "C", c.records);
        ASSERT_TRUE(plot(list));
        const double step = 330.0f / static_cast<float>(c.records);
        const auto lines = markLines();
        const auto times = canvas.ofKind(Call::Text);
        ASSERT_EQ(lines.size(), c.dotted.size()) << c.records;
        ASSERT_EQ(times.size(), c.dotted.size()) << c.records;
        for (std::size_t k = 0; k < c.dotted.size(); ++k) {
            const int r = c.dotted[k];
            const double x = kLeft + (r - 1) * step;
            EXPECT_NEAR(lines[k].x1, x, 1e-3) << c.records << " record " << r;
            EXPECT_DOUBLE_EQ(lines[k].y1, kBase);
            EXPECT_DOUBLE_EQ(lines[k].y2, kBase - kHeight - 10);
            const std::string time = list.grid().cell(r, 1);
            EXPECT_EQ(times[k].text, time);
            EXPECT_EQ(times[k].color, kBlack);
            const double shift = (r == 1 ? 10 : 0) + (r == c.records ? 10 : 0);
            EXPECT_NEAR(times[k].x1, x - 7.0 * time.size() / 2 - shift, 1e-3) << c.records << " record " << r;
            EXPECT_DOUBLE_EQ(times[k].y1, kBase + 10);
        }
        const auto marks = shortMarks();
        ASSERT_EQ(marks.size(), c.shortMarks.size()) << c.records;
        for (std::size_t k = 0; k < marks.size(); ++k) {
            EXPECT_NEAR(marks[k].x1, kLeft + (c.shortMarks[k] - 1) * step, 1e-3);
            EXPECT_DOUBLE_EQ(marks[k].y1, kBase - kHeight * 3.8 / 8);
            EXPECT_DOUBLE_EQ(marks[k].y2, kBase - kHeight * 4.2 / 8);
        }
        if (c.records == 1) {
            EXPECT_TRUE(linesOf(kBlack).empty());
        }
    }
}

TEST_F(PlotListTest, ProgressCountsRecordNumbersAndTheCaptionComesBack) {
    test::FakeList list(false);
    fill(list, 70);
    setWholeListRange(s, "C", 70);
    s.PlotFirstRecord = 50;
    s.PlotLastRecord = 60;
    s.PlotRecordCount = 11;
    ASSERT_TRUE(plot(list));
    ASSERT_EQ(captions.size(), 12u);
    EXPECT_EQ(captions.front(), "50 Records Completed");
    EXPECT_EQ(captions[10], "60 Records Completed");
    EXPECT_EQ(caption, "Plot Data/File ");
    // The range's first record is drawn at the left edge with its own time.
    const auto times = canvas.ofKind(Call::Text);
    ASSERT_FALSE(times.empty());
    EXPECT_EQ(times.front().text, list.grid().cell(50, 1));
    EXPECT_EQ(list.grid().row(), 60);
}

TEST_F(PlotListTest, ARecordTheListDoesNotHoldEndsTheDrawing) {
    test::FakeList list(false);
    fill(list, 4);
    setWholeListRange(s, "C", 6);
    EXPECT_FALSE(plot(list));
    // The caption keeps the progress where the drawing stopped.
    EXPECT_EQ(caption, "5 Records Completed");
    // A dual list read as a single one would miss its unit column the other way round: a
    // single list read as dual has no column 5.
    canvas.reset();
    setWholeListRange(s, "C", 4);
    EXPECT_FALSE(PlotList(s, canvas, captionAccess, &list.grid(), true));
}

}  // namespace
}  // namespace calvex
