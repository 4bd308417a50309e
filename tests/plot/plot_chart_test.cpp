#include <gtest/gtest.h>

#include <cmath>

#include "plot/plot_chart.h"
#include "support/plot_fakes.h"
#include "support/recording_canvas.h"
#include "support/test_session.h"

namespace calvex {
namespace {

using test::setWholeListRange;
using Call = test::RecordingCanvas::Call;

const PlotCaption kNoCaption{[] { return std::string("Plot Data/File "); }, [](const std::string&) {}};

struct ChartTest : ::testing::Test {
    test::TestSession t;
    Session& s = t.session;
    test::RecordingCanvas canvas{392, 364};

    bool draw(Grid* grid, bool dual, int width = 392, int height = 364) {
        return drawPlot(s, canvas, kNoCaption, width, height, grid, dual);
    }
    std::vector<Call> texts() const { return canvas.ofKind(Call::Text); }
};

TEST_F(ChartTest, GeometryFollowsTheClientArea) {
    struct Case {
        int width, height;
        float plotWidth, base, plotHeight;
    };
    const Case cases[] = {{392, 364, 330, 337, 264}, {390, 391, 330, 364, 291},
                          {419, 400, 330, 373, 300}, {420, 400, 360, 373, 300},
                          {449, 500, 360, 473, 400}, {1920, 1080, 1860, 1053, 980}};
    for (const Case& c : cases) {
        setWholeListRange(s, "C", 11);
        setPlotGeometry(s, c.width, c.height);
        EXPECT_EQ(s.DataPlotLeft, 60) << c.width;
        EXPECT_EQ(s.DataPlotWidth, c.plotWidth) << c.width;
        EXPECT_EQ(s.DataPlotBase, c.base) << c.height;
        EXPECT_EQ(s.DataPlotHeight, c.plotHeight) << c.height;
        EXPECT_FLOAT_EQ(s.DataPlotStep, c.plotWidth / 11) << c.width;
        EXPECT_FLOAT_EQ(s.DataPlotX, -s.DataPlotStep);
    }
    for (int width = 390; width <= 419; ++width)
        EXPECT_EQ(plotAreaWidth(width), 330) << width;
    EXPECT_EQ(plotAreaWidth(420), 360);
}

TEST_F(ChartTest, AxesAndTicks) {
    setWholeListRange(s, "C", 0);
    draw(nullptr, false);
    const auto lines = canvas.ofKind(Call::Line);
    ASSERT_GE(lines.size(), 2u + 17 + 9);
    // Plotting area x 60..390, y 73..337.
    EXPECT_EQ(lines[0].x1, 58);
    EXPECT_EQ(lines[0].y1, 342);
    EXPECT_EQ(lines[0].x2, 58);
    EXPECT_EQ(lines[0].y2, 68);
    EXPECT_EQ(lines[1].x1, 58);
    EXPECT_EQ(lines[1].y1, 343);
    EXPECT_EQ(lines[1].x2, 392);
    EXPECT_EQ(lines[1].y2, 343);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(lines[i].width, 2);
        EXPECT_EQ(lines[i].color, kBlack);
    }
    int shortTicks = 0, longTicks = 0;
    for (std::size_t i = 2; i < lines.size(); ++i) {
        const Call& l = lines[i];
        EXPECT_EQ(l.width, 1);
        EXPECT_EQ(l.color, kBlack);
        EXPECT_EQ(l.x1, 58);
        EXPECT_EQ(l.y1, l.y2);
        if (l.x2 == 53) {
            EXPECT_DOUBLE_EQ(l.y1, 337 - shortTicks * 264.0 / 16);
            ++shortTicks;
        } else if (l.x2 == 50) {
            EXPECT_DOUBLE_EQ(l.y1, 337 - longTicks * 264.0 / 8);
            ++longTicks;
        }
    }
    EXPECT_EQ(shortTicks, 17);
    EXPECT_EQ(longTicks, 9);
}

TEST_F(ChartTest, ScaleLabelsAreEachPlacedWithTheLabelBelow) {
    setWholeListRange(s, "C", 0);
    draw(nullptr, false);
    const auto drawn = texts();
    ASSERT_GE(drawn.size(), 9u);
    const char* expected[] = {"-200.", "45.", "290.", "535.", "780.", "1025.", "1270.", "1515.", "1760."};
    std::string previous = "100";
    for (int k = 0; k < 9; ++k) {
        EXPECT_EQ(drawn[k].text, expected[k]);
        EXPECT_EQ(drawn[k].color, kBlack);
        // RecordingCanvas: 7 pixels a character, 16 high.
        EXPECT_DOUBLE_EQ(drawn[k].x1, 60 - 40 - 7.0 * previous.size() / 4) << k;
        EXPECT_DOUBLE_EQ(drawn[k].y1, 337 - 8 - k * 264.0 / 8) << k;
        previous = drawn[k].text;
    }
}

TEST_F(ChartTest, ScaleLabelsShowUpToTwoDecimals) {
    setWholeListRange(s, "K", 0);
    s.PlotTempMin = 0;
    s.PlotTempMax = 10;
    draw(nullptr, false);
    const auto drawn = texts();
    const char* expected[] = {"0.", "1.25", "2.5", "3.75", "5.", "6.25", "7.5", "8.75", "10."};
    for (int k = 0; k < 9; ++k)
        EXPECT_EQ(drawn[k].text, expected[k]);
}

TEST_F(ChartTest, UnitAndLegendFollowTheListKind) {
    struct Case {
        bool dual;
        bool liveDual;
    };
    for (const Case c : {Case{true, false}, Case{false, true}}) {
        canvas.reset();
        test::FakeList list(c.dual);
        list.addRecord(c.dual ? std::vector<std::string>{"20", "21", "-1"} : std::vector<std::string>{"20"},
                       "F");
        list.addRecord(c.dual ? std::vector<std::string>{"22", "23", "-1"} : std::vector<std::string>{"22"},
                       "F");
        setWholeListRange(s, "F", 2);
        s.state.DualModel = c.liveDual;
        ASSERT_TRUE(draw(&list.grid(), c.dual));

        std::vector<Call> above;
        for (const Call& text : texts())
            if (text.y1 < 73 && text.x1 < 60 - 10 - 0.1 && text.text.find('.') == std::string::npos)
                above.push_back(text);
        if (c.dual) {
            ASSERT_EQ(above.size(), 4u);
            EXPECT_EQ(above[0].text, "F");
            EXPECT_EQ(above[0].x1, 30);
            EXPECT_EQ(above[0].y1, 48);
            EXPECT_EQ(above[1].text, "T1");
            EXPECT_EQ(above[1].color, kBlack);
            EXPECT_EQ(above[1].x1, 0);
            EXPECT_EQ(above[1].y1, 33);
            EXPECT_EQ(above[2].text, "T2");
            EXPECT_EQ(above[2].color, kBlue);
            EXPECT_EQ(above[2].x1, 20);
            EXPECT_EQ(above[3].text, "T1-T2");
            EXPECT_EQ(above[3].color, kRed);
            EXPECT_EQ(above[3].x1, 40);
        } else {
            ASSERT_EQ(above.size(), 1u);
            EXPECT_EQ(above[0].text, "F");
        }
        // The curves are the list's: three for a dual list, one for a single one.
        int curves = 0;
        for (const Call& l : canvas.ofKind(Call::Line))
            if (l.color == kBlack && l.x1 >= 60 && l.x2 > l.x1)
                ++curves;
        int coloured = 0;
        for (const Call& l : canvas.ofKind(Call::Line))
            if (l.color == kBlue || l.color == kRed)
                ++coloured;
        EXPECT_EQ(curves, 1);
        EXPECT_EQ(coloured, c.dual ? 2 : 0);
    }
}

TEST_F(ChartTest, AnEmptyListDrawsTheFrameAndNoRecords) {
    test::FakeList list(true);
    setWholeListRange(s, "C", 0);
    EXPECT_TRUE(draw(&list.grid(), true));
    EXPECT_EQ(s.DataPlotStep, 0);
    EXPECT_EQ(s.DataPlotX, 0);
    for (const Call& c : canvas.calls) {
        EXPECT_TRUE(std::isfinite(c.x1) && std::isfinite(c.y1) && std::isfinite(c.x2) && std::isfinite(c.y2));
        // Only the frame's black lines: no grid, no curves, no marks.
        if (c.kind == Call::Line) {
            EXPECT_EQ(c.color, kBlack);
        }
    }
    EXPECT_EQ(canvas.ofKind(Call::Line).size(), 2u + 17 + 9);
    const auto drawn = texts();
    ASSERT_EQ(drawn.size(), 9u + 1 + 3);
    EXPECT_EQ(drawn[9].text, "C");
}

TEST_F(ChartTest, AClosedListIsAFailure) {
    setWholeListRange(s, "C", 5);
    EXPECT_FALSE(draw(nullptr, true));
    // The frame is there, no record.
    EXPECT_EQ(canvas.ofKind(Call::Line).size(), 2u + 17 + 9);
}

}  // namespace
}  // namespace calvex
