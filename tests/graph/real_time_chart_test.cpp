#include "graph/real_time_chart.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/recording_canvas.h"
#include "support/test_session.h"

namespace calvex {
namespace {

using Call = test::RecordingCanvas::Call;

// A 400 x 391 client area: GraphBase 364, GraphHeight 291, GraphWidth 330.
class RealTimeChartTest : public ::testing::Test {
protected:
    RealTimeChartTest() {
        state.Unit = "C";
        state.ReadingKnown = true;
        session.GraphMax = 1760;
        session.GraphMin = -200;
        session.GraphStep = 1;
        state.T1C = 20.0;
    }
    void open(RealTimeChart& c) {
        c.Form_Load();
        c.Form_Resize();
        canvas.reset();
    }
    void open() { open(chart); }
    // Runs `n` sweep steps and keeps only what the last one drew.
    void steps(int n, RealTimeChart& c) {
        for (int i = 0; i < n; ++i) {
            canvas.reset();
            ASSERT_TRUE(c.sweepStep());
        }
    }
    void steps(int n) { steps(n, chart); }
    std::vector<Call> linesOf(Rgb color) const {
        std::vector<Call> out;
        for (const Call& c : canvas.ofKind(Call::Line))
            if (c.color == color)
                out.push_back(c);
        return out;
    }
    // The time marks and half marks drawn by one step: dotted vertical and short solid lines.
    int marks(LineStyle style) const {
        int count = 0;
        for (const Call& c : linesOf(paletteColor(7)))
            if (c.x1 == c.x2 && c.style == style)
                ++count;
        return count;
    }

    test::TestSession ts;
    Session& session = ts.session;
    InstrumentState& state = ts.session.state;
    test::RecordingCanvas canvas{400, 391};
    // A graph run started in degrees C with the single-input instrument.
    RealTimeChart chart{session, canvas, "C", false};
};

TEST_F(RealTimeChartTest, FrameGeometryFollowsTheClientArea) {
    chart.Form_Load();
    chart.Form_Resize();
    EXPECT_EQ(session.GraphWidth, 330);
    EXPECT_EQ(session.GridColor, 7);
    EXPECT_EQ(chart.graphBase(), 364);
    EXPECT_EQ(chart.graphHeight(), 291);
    EXPECT_EQ(chart.graphX(), -1);

    ASSERT_FALSE(canvas.calls.empty());
    EXPECT_EQ(canvas.calls.front().kind, Call::Clear);
    const std::vector<Call> lines = canvas.ofKind(Call::Line);
    ASSERT_EQ(lines.size(), 2u + 17u + 9u);
    // The axes, two pixels wide.
    EXPECT_EQ(std::vector<double>({lines[0].x1, lines[0].y1, lines[0].x2, lines[0].y2}),
              std::vector<double>({58, 369, 58, 68}));
    EXPECT_EQ(std::vector<double>({lines[1].x1, lines[1].y1, lines[1].x2, lines[1].y2}),
              std::vector<double>({58, 370, 392, 370}));
    EXPECT_EQ(lines[0].width, 2);
    EXPECT_EQ(lines[1].width, 2);
    // Short ticks at every sixteenth, long ones at every eighth.
    EXPECT_EQ(lines[2].x2, 53);
    EXPECT_EQ(lines[3].x2, 50);
    EXPECT_EQ(lines[4].x2, 53);
    EXPECT_DOUBLE_EQ(lines[4].y1, 364 - 291 / 16.0);
    EXPECT_EQ(lines.back().y1, 364 - 291);

    const std::vector<Call> boxes = canvas.ofKind(Call::Box);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(std::vector<double>({boxes[0].x1, boxes[0].y1, boxes[0].x2, boxes[0].y2}),
              std::vector<double>({60, 364, 390, 73}));
    EXPECT_EQ(boxes[0].color, kWhite);
}

TEST_F(RealTimeChartTest, ScaleLabelsPerUnitPlacedByThePreviousLabel) {
    struct Case {
        double min, max;
        std::vector<std::string> labels;
    };
    const Case cases[] = {
        {-200, 1760, {"-200.", "45.", "290.", "535.", "780.", "1025.", "1270.", "1515.", "1760."}},
        {0, 2000, {"0.", "250.", "500.", "750.", "1000.", "1250.", "1500.", "1750.", "2000."}},
        {0, 1.6, {"0.", "0.2", "0.4", "0.6", "0.8", "1.", "1.2", "1.4", "1.6"}},
    };
    for (const Case& c : cases) {
        session.GraphMin = c.min;
        session.GraphMax = c.max;
        canvas.reset();
        chart.Form_Resize();
        std::vector<Call> texts = canvas.ofKind(Call::Text);
        texts.resize(9);
        std::vector<std::string> labels;
        for (const Call& t : texts)
            labels.push_back(t.text);
        EXPECT_EQ(labels, c.labels);
        // The first from the width of "100" (21 pixels here), the others from the label below.
        EXPECT_DOUBLE_EQ(texts[0].x1, 60 - 40 - 21 / 4.0);
        EXPECT_DOUBLE_EQ(texts[0].y1, 364 - 8);
        for (std::size_t i = 1; i < texts.size(); ++i) {
            EXPECT_DOUBLE_EQ(texts[i].x1, 60 - 40 - 7.0 * c.labels[i - 1].size() / 4);
            EXPECT_DOUBLE_EQ(texts[i].y1, 364 - 8 - i * 291 / 8.0);
        }
    }
}

TEST_F(RealTimeChartTest, UnitLetterAlwaysAndLegendOnlyForTheDualInstrument) {
    for (const bool dual : {false, true}) {
        state.DualModel = dual;
        canvas.reset();
        chart.Form_Resize();
        std::vector<Call> texts = canvas.ofKind(Call::Text);
        ASSERT_EQ(texts.size(), dual ? 13u : 10u);
        EXPECT_EQ(texts[9].text, "C");
        EXPECT_EQ(texts[9].x1, 30);
        EXPECT_EQ(texts[9].y1, 48);
        if (dual) {
            EXPECT_EQ(texts[10].text, "T1");
            EXPECT_EQ(texts[10].color, kBlack);
            EXPECT_EQ(texts[11].text, "T2");
            EXPECT_EQ(texts[11].color, kBlue);
            EXPECT_EQ(texts[12].text, "T1-T2");
            EXPECT_EQ(texts[12].color, kRed);
            EXPECT_EQ(texts[12].x1, 40);
            EXPECT_EQ(texts[12].y1, 33);
        }
    }
}

TEST_F(RealTimeChartTest, SweepStepWipesThenDrawsTheGridInOrder) {
    open();
    steps(5);  // GraphX = 4
    const std::vector<Call>& calls = canvas.calls;
    ASSERT_GE(calls.size(), 9u);
    EXPECT_EQ(calls[0].kind, Call::Box);
    EXPECT_EQ(std::vector<double>({calls[0].x1, calls[0].y1, calls[0].x2, calls[0].y2}),
              std::vector<double>({66, 367, 67, 68}));
    EXPECT_EQ(calls[0].color, kWhite);
    EXPECT_EQ(calls[1].style, LineStyle::Solid);
    EXPECT_EQ(calls[1].color, paletteColor(7));
    EXPECT_EQ(std::vector<double>({calls[1].x1, calls[1].y1, calls[1].x2, calls[1].y2}),
              std::vector<double>({58, 364 - 145.5, 392, 364 - 145.5}));
    const double fractions[] = {1.0 / 8, 7.0 / 8, 3.0 / 4, 5.0 / 8, 1.0, 3.0 / 8, 1.0 / 4};
    for (int i = 0; i < 7; ++i) {
        const Call& c = calls[2 + i];
        SCOPED_TRACE(i);
        EXPECT_EQ(c.style, LineStyle::Dotted);
        EXPECT_EQ(c.width, 1);
        EXPECT_EQ(c.color, paletteColor(7));
        EXPECT_EQ(c.x1, 60);
        EXPECT_EQ(c.x2, 390);
        EXPECT_DOUBLE_EQ(c.y1, 364 - 291 * fractions[i]);
    }
}

TEST_F(RealTimeChartTest, FirstStepDrawsNoSegmentAndTheSecondStartsAtTheLeftEdge) {
    state.DualModel = true;
    state.T2C = 0.0;
    state.T1T2C = "20.0";
    RealTimeChart dual{session, canvas, "C", true};
    open(dual);
    steps(1, dual);
    EXPECT_EQ(dual.graphX(), 0);
    EXPECT_TRUE(linesOf(kBlack).empty());
    EXPECT_TRUE(linesOf(kBlue).empty());
    EXPECT_TRUE(linesOf(kRed).empty());

    steps(1, dual);
    const double y20 = 364 - 220.0 / 1960 * 291;
    ASSERT_EQ(linesOf(kBlack).size(), 1u);
    const Call t1 = linesOf(kBlack)[0];
    EXPECT_EQ(t1.x1, 60);
    EXPECT_EQ(t1.x2, 61);
    EXPECT_NEAR(t1.y1, y20, 1e-3);
    EXPECT_NEAR(t1.y2, y20, 1e-3);
    ASSERT_EQ(linesOf(kBlue).size(), 1u);
    EXPECT_NEAR(linesOf(kBlue)[0].y2, 364 - 200.0 / 1960 * 291, 1e-3);
    ASSERT_EQ(linesOf(kRed).size(), 1u);
    EXPECT_NEAR(linesOf(kRed)[0].y2, y20, 1e-3);
}

TEST_F(RealTimeChartTest, SingleInstrumentDrawsOnlyTheBlackCurve) {
    state.T2C = 0.0;
    state.T1T2C = "20.0";
    open();
    steps(3);
    EXPECT_EQ(linesOf(kBlack).size(), 1u);
    EXPECT_TRUE(linesOf(kBlue).empty());
    EXPECT_TRUE(linesOf(kRed).empty());
}

TEST_F(RealTimeChartTest, TheWrapDrawsNoJoiningSegment) {
    open();
    steps(330);
    EXPECT_EQ(chart.graphX(), 329);
    EXPECT_EQ(linesOf(kBlack).size(), 1u);
    steps(1);
    EXPECT_EQ(chart.graphX(), 0);
    EXPECT_TRUE(linesOf(kBlack).empty());
    steps(1);
    ASSERT_EQ(linesOf(kBlack).size(), 1u);
    EXPECT_EQ(linesOf(kBlack)[0].x1, 60);
}

TEST_F(RealTimeChartTest, HeightsOfMarkersAndOutOfScaleReadings) {
    open();
    struct Case {
        ReadingValue reading;
        double height;
    };
    const Case cases[] = {
        {"OL", 296},   {"----", 296}, {"-OL", -3},      {1761.0, 296},  {-201.0, -3},
        {1760.0, 291}, {-200.0, 0},   {"780.0", 145.5}, {780.0, 145.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(debugText(c.reading));
        EXPECT_DOUBLE_EQ(chart.heightOf(c.reading), c.height);
    }
    // Plotted: "OL" just above the top edge, "-OL" just below the bottom.
    state.T1C = "OL";
    steps(2);
    EXPECT_EQ(linesOf(kBlack).at(0).y2, 364 - 296);
    state.T1C = "-OL";
    steps(1);
    EXPECT_EQ(linesOf(kBlack).at(0).y2, 367);

    // A negative overload stays at the bottom of a scale that lies wholly below zero.
    session.GraphMax = -50;
    session.GraphMin = -100;
    EXPECT_EQ(chart.heightOf("-OL"), -3);
    EXPECT_EQ(chart.heightOf("OL"), 296);
}

TEST_F(RealTimeChartTest, AnUnknownReadingOrOneWithoutAValueIsNoPointAndTheSweepGoesOn) {
    struct Step {
        bool known;
        ReadingValue t1;
        std::vector<double> segment;  // x1, y1, x2, y2 of the black segment drawn, if any
    };
    const double y20 = 364 - 220.0 / 1960 * 291;
    const double y30 = 364 - 230.0 / 1960 * 291;
    // While the reading is unknown the state still holds the last frame's 900.
    const Step table[] = {
        {true, 20.0, {}},
        {true, 20.0, {60, y20, 61, y20}},
        {false, 900.0, {}},
        {false, 900.0, {}},
        {true, 20.0, {}},  // nothing joins the gap's far side to the point before it
        {true, 30.0, {64, y20, 65, y30}},
        {true, "----", {}},  // a frame without a value: a gap too, not a point at the top
        {true, 30.0, {}},
        {true, 30.0, {67, y30, 68, y30}},
    };
    for (const bool dual : {false, true}) {
        SCOPED_TRACE(dual ? "dual" : "single");
        state.DualModel = dual;
        RealTimeChart run{session, canvas, "C", dual};
        open(run);
        for (std::size_t i = 0; i < std::size(table); ++i) {
            SCOPED_TRACE(i + 1);
            state.ReadingKnown = table[i].known;
            state.T1C = state.T2C = table[i].t1;
            state.T1T2C = ReadingValue(table[i].t1).format();
            steps(1, run);
            EXPECT_EQ(run.graphX(), static_cast<float>(i));
            for (const Rgb color : {kBlack, kBlue, kRed}) {
                std::vector<double> drawn;
                for (const Call& c : linesOf(color))
                    drawn.insert(drawn.end(), {c.x1, c.y1, c.x2, c.y2});
                const bool drawsColor = dual || color == kBlack;
                ASSERT_EQ(drawn.size(), drawsColor ? table[i].segment.size() : 0u);
                for (std::size_t k = 0; k < drawn.size(); ++k)
                    EXPECT_NEAR(drawn[k], table[i].segment[k], 1e-3);
            }
        }
        // The clock's marks keep their places through a silence.
        state.ReadingKnown = false;
        steps(52, run);
        EXPECT_EQ(run.graphX(), 60);
        EXPECT_EQ(marks(LineStyle::Dotted), 1);
        EXPECT_EQ(canvas.ofKind(Call::Line).size(), 1u + 7u + 1u);  // the grid and the mark, no curve
    }
}

TEST_F(RealTimeChartTest, TimeMarksEverySixtyAndHalfMarksEveryThirtyTicks) {
    open();
    std::vector<int> timeMarks;
    std::vector<int> halfMarks;
    for (int tick = 1; tick <= 330; ++tick) {
        steps(1);
        if (marks(LineStyle::Dotted) == 1)
            timeMarks.push_back(static_cast<int>(chart.graphX()));
        if (marks(LineStyle::Solid) == 1)
            halfMarks.push_back(static_cast<int>(chart.graphX()));
    }
    EXPECT_EQ(timeMarks, std::vector<int>({0, 60, 120, 180, 240, 300}));
    EXPECT_EQ(halfMarks, std::vector<int>({30, 90, 150, 210, 270}));
}

TEST_F(RealTimeChartTest, AtHalfAPixelPerTickMarksRepeatOnConsecutiveTicks) {
    session.GraphStep = 0.5f;
    open();
    std::vector<double> timeMarks;
    std::vector<double> halfMarks;
    for (int tick = 1; tick <= 130; ++tick) {
        steps(1);
        if (marks(LineStyle::Dotted) == 1)
            timeMarks.push_back(chart.graphX());
        if (marks(LineStyle::Solid) == 1)
            halfMarks.push_back(chart.graphX());
    }
    // Rounded halves go to the even number: 0.5 -> 0, 29.5 -> 30, 30.5 -> 30, 59.5 -> 60.
    EXPECT_EQ(timeMarks, std::vector<double>({0, 0.5, 59.5, 60, 60.5}));
    EXPECT_EQ(halfMarks, std::vector<double>({29.5, 30, 30.5}));
}

TEST_F(RealTimeChartTest, TimeMarkWritesTheClockTimeOverACleanedBox) {
    open();
    steps(1);
    EXPECT_EQ(chart.timeText(), "14:05:30");
    const std::vector<Call> texts = canvas.ofKind(Call::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "14:05:30");
    EXPECT_EQ(texts[0].x1, 60 - 5 - 28);
    EXPECT_EQ(texts[0].y1, 374);
    const Call box = canvas.ofKind(Call::Box).back();
    // The box covers the whole text (and the centred box of the design) so the previous
    // sweep's mark leaves nothing behind.
    EXPECT_LE(box.x1, texts[0].x1);
    EXPECT_GE(box.x2, 60 + 28);
    EXPECT_EQ(box.y1, 374);
    EXPECT_GE(box.y2, 374 + 16);
    EXPECT_EQ(box.color, kWhite);
    const std::vector<Call> lines = linesOf(paletteColor(7));
    EXPECT_EQ(lines.back().style, LineStyle::Dotted);
    EXPECT_EQ(std::vector<double>({lines.back().x1, lines.back().y1, lines.back().x2, lines.back().y2}),
              std::vector<double>({60, 364, 60, 63}));
}

TEST_F(RealTimeChartTest, AChangeOfUnitOrModelEndsTheRunWithoutDrawing) {
    struct Case {
        const char* name;
        ReadingValue unit;
        bool dual;
    };
    const Case cases[] = {{"unit", "F", false}, {"model", "C", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open();
        steps(3);
        state.GraphActive = true;
        state.Unit = c.unit;
        state.DualModel = c.dual;
        canvas.reset();
        EXPECT_FALSE(chart.sweepStep());
        EXPECT_FALSE(state.GraphActive);
        EXPECT_TRUE(canvas.calls.empty());
        state.Unit = "C";
        state.DualModel = false;
    }
}

}  // namespace
}  // namespace calvex
