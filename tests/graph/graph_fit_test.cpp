#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graph/graph_fit.h"
#include "graph/real_time_chart.h"
#include "support/recording_canvas.h"
#include "support/test_session.h"

namespace calvex {
namespace {

using Call = test::RecordingCanvas::Call;

// A 400 x 391 client area: GraphBase 364, GraphHeight 291, GraphWidth 330; a run in degrees C.
class GraphFitTest : public ::testing::Test {
protected:
    GraphFitTest() {
        state.Unit = "C";
        state.ReadingKnown = true;
        session.GraphLimitMax = session.GraphMax = 1760;
        session.GraphLimitMin = session.GraphMin = -200;
        session.GraphStep = 1;
        chart.Form_Load();
        chart.Form_Resize();
        canvas.reset();
    }
    // `n` sweep steps reading `t1`, keeping only what the last one drew.
    void steps(int n, const ReadingValue& t1) {
        state.T1C = t1;
        for (int i = 0; i < n; ++i) {
            canvas.reset();
            ASSERT_TRUE(chart.sweepStep());
        }
    }
    // The scale's labels, left of the temperature axis, from the bottom up.
    std::vector<std::string> labels() const {
        std::vector<std::string> out;
        for (const Call& text : canvas.ofKind(Call::Text))
            if (text.x1 < 60 && text.y1 < 364 && text.text != "C")
                out.push_back(text.text);
        return out;
    }
    std::vector<Call> curve() const {
        std::vector<Call> out;
        for (const Call& line : canvas.ofKind(Call::Line))
            if (line.color == kBlack && line.x1 >= 60)
                out.push_back(line);
        return out;
    }
    bool cleared() const { return !canvas.ofKind(Call::Clear).empty(); }

    test::TestSession ts;
    Session& session = ts.session;
    InstrumentState& state = ts.session.state;
    test::RecordingCanvas canvas{400, 391};
    RealTimeChart chart{session, canvas, "C", false};
};

TEST_F(GraphFitTest, WithoutReadingsFitChangesNothing) {
    EXPECT_FALSE(chart.fit());
    EXPECT_TRUE(canvas.calls.empty());
    // Gaps and overloads are no readings either.
    steps(3, "----");
    steps(2, "OL");
    steps(2, "-OL");
    state.ReadingKnown = false;
    steps(2, 20.0);
    canvas.reset();
    EXPECT_FALSE(chart.fit());
    EXPECT_FALSE(session.graphFit.on);
    EXPECT_EQ(session.GraphMin, -200);
    EXPECT_EQ(session.GraphMax, 1760);
    EXPECT_TRUE(canvas.calls.empty());
    EXPECT_EQ(graphAxisLabels(session), AxisLabels::Eighths);
}

TEST_F(GraphFitTest, FitDrawsThePictureAgainOnRoundTicksAroundTheReadings) {
    steps(10, 20.0);
    steps(1, "OL");
    canvas.reset();
    ASSERT_TRUE(chart.fit());
    EXPECT_TRUE(session.graphFit.on);
    EXPECT_EQ(session.GraphMin, 19);
    EXPECT_EQ(session.GraphMax, 21);
    EXPECT_TRUE(cleared());
    EXPECT_EQ(labels(), (std::vector<std::string>{"19.0", "19.5", "20.0", "20.5", "21.0"}));
    // The sweep so far, drawn again: nine segments at 20 C, mid-height, then up to the overload.
    const std::vector<Call> lines = curve();
    ASSERT_EQ(lines.size(), 10u);
    for (std::size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(lines[i].x1, 60 + i);
        EXPECT_EQ(lines[i].x2, 61 + i);
        EXPECT_DOUBLE_EQ(lines[i].y1, 364 - 291 / 2.0);
        EXPECT_DOUBLE_EQ(lines[i].y2, 364 - 291 / 2.0);
    }
    EXPECT_DOUBLE_EQ(lines[9].y2, 364 - 291 - 5);

    // The next tick joins on where the last point now stands.
    steps(1, 20.5);
    const std::vector<Call> next = curve();
    ASSERT_EQ(next.size(), 1u);
    EXPECT_DOUBLE_EQ(next[0].y1, 364 - 291 - 5);
    EXPECT_DOUBLE_EQ(next[0].y2, 364 - 291 * 0.75);
    EXPECT_FALSE(cleared());
}

TEST_F(GraphFitTest, AReadingThatLeavesTheScaleWidensItAndOverloadsDoNot) {
    steps(10, 20.0);
    ASSERT_TRUE(chart.fit());
    // Inside the scale and overloads: no new scale, nothing drawn again.
    for (const ReadingValue& reading :
         {ReadingValue("----"), ReadingValue(20.8), ReadingValue("OL"), ReadingValue("-OL")}) {
        steps(1, reading);
        EXPECT_FALSE(cleared());
        EXPECT_EQ(session.GraphMax, 21);
    }
    steps(1, 25.0);
    EXPECT_TRUE(cleared());
    EXPECT_EQ(session.GraphMin, 18);
    EXPECT_EQ(session.GraphMax, 26);
    EXPECT_EQ(labels(), (std::vector<std::string>{"18", "20", "22", "24", "26"}));
    // The dotted grid lines stand on the ticks, 20, 22, 24 and 26 above the baseline's 18, on the
    // picture drawn again and at every tick after.
    std::vector<double> dotted;
    for (const Call& line : canvas.ofKind(Call::Line))
        if (line.style == LineStyle::Dotted && line.y1 == line.y2)
            dotted.push_back(line.y1);
    ASSERT_EQ(dotted.size(), 8u);
    EXPECT_EQ(std::vector<double>(dotted.begin() + 4, dotted.end()),
              (std::vector<double>{364 - 291 / 4.0, 364 - 291 / 2.0, 364 - 291 * 3 / 4.0, 73}));
    dotted.resize(4);
    EXPECT_EQ(dotted, (std::vector<double>{364 - 291 / 4.0, 364 - 291 / 2.0, 364 - 291 * 3 / 4.0, 73}));
    // The earlier readings on the new scale, and this one's segment last, at its height.
    const std::vector<Call> lines = curve();
    ASSERT_FALSE(lines.empty());
    EXPECT_DOUBLE_EQ(lines.front().y1, 364 - 291 * 2 / 8.0);
    EXPECT_DOUBLE_EQ(lines.back().y2, 364 - 291 * 7 / 8.0);
    // Downwards too, and still on round ticks.
    steps(1, -3.0);
    EXPECT_TRUE(cleared());
    EXPECT_LT(session.GraphMin, -3);
    EXPECT_GE(session.GraphMax, 25);
    EXPECT_TRUE(session.graphFit.on);
}

TEST_F(GraphFitTest, FitOffGivesTheScaleBackWithItsEighths) {
    steps(5, 20.0);
    ASSERT_TRUE(chart.fit());
    canvas.reset();
    chart.unfit();
    EXPECT_FALSE(session.graphFit.on);
    EXPECT_EQ(session.GraphMin, -200);
    EXPECT_EQ(session.GraphMax, 1760);
    EXPECT_EQ(labels(), (std::vector<std::string>{"-200.", "45.", "290.", "535.", "780.", "1025.", "1270.",
                                                  "1515.", "1760."}));
    // No longer following: a reading beyond 1760 is pinned at the top, the scale stays.
    steps(1, 1800.0);
    EXPECT_FALSE(cleared());
    EXPECT_EQ(session.GraphMax, 1760);
}

TEST_F(GraphFitTest, TheFitStaysWithinTheUnitsSpan) {
    steps(3, 1700.0);
    steps(3, 1755.0);
    ASSERT_TRUE(chart.fit());
    EXPECT_LE(session.GraphMax, 1760);
    EXPECT_EQ(session.GraphMax, 1760);
    EXPECT_LT(session.GraphMin, 1700);
    // A reading beyond the span cannot widen it further: nothing is drawn again for it.
    steps(1, 1800.0);
    EXPECT_FALSE(cleared());
    EXPECT_EQ(session.GraphMax, 1760);
}

TEST_F(GraphFitTest, SamplesWithinOnePixelColumnAreDrawnAgainAsOneLineDownIt) {
    // Four samples to the pixel.
    session.GraphStep = 0.25f;
    chart.Form_Resize();
    for (const double reading : {20.0, 21.0, 22.0, 23.0, 24.0})
        steps(1, reading);
    canvas.reset();
    ASSERT_TRUE(chart.fit());
    ASSERT_EQ(session.GraphMin, 18);
    ASSERT_EQ(session.GraphMax, 26);
    const auto y = [](double t) { return 364 - (t - 18) / 8 * 291; };
    const std::vector<Call> lines = curve();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(std::vector<double>({lines[0].x1, lines[0].y1, lines[0].x2, lines[0].y2}),
              std::vector<double>({60, y(23), 60, y(20)}));
    EXPECT_EQ(std::vector<double>({lines[1].x1, lines[1].y1, lines[1].x2, lines[1].y2}),
              std::vector<double>({60.75, y(23), 61, y(24)}));
}

TEST_F(GraphFitTest, TheHistoryHoldsOneSweepAndItsMarks) {
    EXPECT_EQ(chart.history().capacity(), 331u);
    steps(400, 20.0);
    EXPECT_EQ(chart.history().size(), 331u);
    // Marks at every half minute of the sweep, times at the minutes.
    ASSERT_EQ(chart.history().marks().size(), 11u);
    EXPECT_FALSE(chart.history().marks().at(60).time.empty());
    EXPECT_TRUE(chart.history().marks().at(30).time.empty());
    // A resize starts an empty picture.
    chart.Form_Resize();
    EXPECT_EQ(chart.history().size(), 0u);
    EXPECT_TRUE(chart.history().marks().empty());
}

}  // namespace
}  // namespace calvex
