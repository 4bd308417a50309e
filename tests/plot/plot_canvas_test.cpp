#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "canvas/image_canvas.h"
#include "instrument/text_format.h"
#include "plot/coalescing_canvas.h"
#include "plot/pen_grouping_canvas.h"
#include "plot/plot_chart.h"
#include "support/plot_fakes.h"
#include "support/recording_canvas.h"
#include "support/test_session.h"

namespace calvex {
namespace {

using test::setWholeListRange;
using Call = test::RecordingCanvas::Call;

std::vector<std::string> describe(const test::RecordingCanvas& canvas) {
    std::vector<std::string> out;
    for (const Call& c : canvas.calls) {
        if (c.kind == Call::Text) {
            out.push_back("text " + c.text);
        } else {
            out.push_back((c.kind == Call::Line ? "line " : "box ") + std::to_string(int(c.x1)) + "," +
                          std::to_string(int(c.y1)) + "-" + std::to_string(int(c.x2)) + "," +
                          std::to_string(int(c.y2)) + " " + std::to_string(c.color.r) + "/" +
                          std::to_string(c.color.b));
        }
    }
    return out;
}

// Two probes crossing each other, marks and readings out of range: every way the drawings can
// overlap.
void fillCrossingList(test::FakeList& list, int records) {
    for (int i = 1; i <= records; ++i) {
        const double t1 = 300 + 250 * std::sin(i / 40.0) + 20 * std::sin(i * 1.3);
        const double t2 = 300 + 250 * std::cos(i / 55.0) + 15 * std::cos(i * 2.1);
        const std::string a = i % 97 == 0 ? "OL" : i % 89 == 0 ? "-OL" : formatFixed1(t1);
        const std::string b = i % 83 == 0 ? "----" : formatFixed1(t2);
        list.addRecord({a, b, formatFixed1(t1 - t2)}, i % 300 < 150 ? "C" : "F");
    }
}

TEST(CoalescingCanvasTest, OnlyTheLastOfIdenticalLinesIsDrawn) {
    test::RecordingCanvas target;
    {
        CoalescingCanvas canvas(target);
        canvas.line(0, 10, 100, 10, kBlack, 1, LineStyle::Dotted);
        canvas.line(5, 0, 5, 20, kRed, 1, LineStyle::Solid);
        canvas.drawText(1, 2, "T", kBlack);
        canvas.line(0, 10, 100, 10, kBlack, 1, LineStyle::Dotted);
        // Same place, other pen: both stay.
        canvas.line(5, 0, 5, 20, kRed, 2, LineStyle::Solid);
        canvas.line(5, 0, 5, 20, kRed, 1, LineStyle::Dotted);
        canvas.fillBox(1, 1, 3, 3, kBlue);
    }
    EXPECT_EQ(describe(target),
              (std::vector<std::string>{"line 5,0-5,20 255/0", "text T", "line 0,10-100,10 0/0",
                                        "line 5,0-5,20 255/0", "line 5,0-5,20 255/0", "box 1,1-3,3 0/255"}));
}

TEST(CoalescingCanvasTest, AClearDropsWhatWasWaiting) {
    test::RecordingCanvas target;
    CoalescingCanvas canvas(target);
    canvas.line(0, 0, 1, 1, kBlack, 1, LineStyle::Solid);
    canvas.clear(kWhite);
    canvas.line(0, 0, 1, 1, kBlack, 1, LineStyle::Solid);
    canvas.flush();
    ASSERT_EQ(target.calls.size(), 2u);
    EXPECT_EQ(target.calls[0].kind, Call::Clear);
    EXPECT_EQ(target.calls[1].kind, Call::Line);
}

TEST(CoalescingCanvasTest, TheGridComesThroughOnceHoweverLongTheList) {
    test::TestSession t;
    test::FakeList list(true);
    fillCrossingList(list, 20000);
    setWholeListRange(t.session, "C", 20000);
    const PlotCaption caption{[] { return std::string(); }, [](const std::string&) {}};
    test::RecordingCanvas target(1920, 1080);
    {
        CoalescingCanvas canvas(target);
        ASSERT_TRUE(drawPlot(t.session, canvas, caption, 1920, 1080, &list.grid(), true));
    }
    int gridLines = 0, curves = 0;
    for (const Call& c : target.ofKind(Call::Line)) {
        if (c.color == paletteColor(7) && c.y1 == c.y2)
            ++gridLines;
        if (c.color == kBlack && c.x1 >= 60 && c.x2 > c.x1)
            ++curves;
    }
    // The last record's grid, and every segment of the curves.
    EXPECT_EQ(gridLines, 8);
    EXPECT_EQ(curves, 19999);
}

TEST(PenGroupingCanvasTest, LinesJoinTheirPenOnlyPastWhatTheyCannotTouch) {
    test::RecordingCanvas target;
    {
        PenGroupingCanvas canvas(target);
        canvas.line(0, 0, 10, 0, kBlack, 1, LineStyle::Solid);
        canvas.line(0, 100, 10, 100, kBlue, 1, LineStyle::Solid);
        // Far from the blue line: joins the first black one.
        canvas.line(10, 0, 20, 5, kBlack, 1, LineStyle::Solid);
        // Within two pixels of the blue line: stays after it.
        canvas.line(10, 98, 20, 98, kBlack, 1, LineStyle::Solid);
        canvas.drawText(30, 30, "T", kBlack);
        // Texts are never passed.
        canvas.line(0, 200, 10, 200, kBlue, 1, LineStyle::Solid);
        // Same colour, another style: another pen.
        canvas.line(0, 300, 10, 300, kBlack, 1, LineStyle::Dotted);
        // Passes the dotted line it cannot touch, back to the blue line after the text.
        canvas.line(0, 0, 10, 0, kBlue, 1, LineStyle::Solid);
    }
    EXPECT_EQ(describe(target),
              (std::vector<std::string>{"line 0,0-10,0 0/0", "line 10,0-20,5 0/0", "line 0,100-10,100 0/255",
                                        "line 10,98-20,98 0/0", "text T", "line 0,200-10,200 0/255",
                                        "line 0,0-10,0 0/255", "line 0,300-10,300 0/0"}));
}

TEST(PenGroupingCanvasTest, OnAnImageLinesWithinAColumnGiveThePixelsOfEveryLineDrawn) {
    // Lines of every kind in a small image, many of them within one pixel column, reaching over the
    // edges or of no length, among others that cross columns, dotted or wider lines, boxes and texts.
    const Rgb colors[] = {kBlack, kBlue, kRed};
    for (unsigned seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        auto pick = [&random](int from, int to) {
            return std::uniform_int_distribution<int>(from, to)(random);
        };
        ImageCanvas direct;
        direct.resize(40, 30);
        ImageCanvas composed;
        composed.resize(40, 30);
        composed.beginBatch();
        {
            PenGroupingCanvas grouped(composed);
            int column = pick(-2, 41);
            for (int call = 0; call < 3000; ++call) {
                const Rgb color = colors[pick(0, 2)];
                const int kind = pick(0, 99);
                auto both = [&](auto draw) {
                    draw(static_cast<Canvas&>(direct));
                    draw(static_cast<Canvas&>(grouped));
                };
                if (kind < 80) {
                    // A curve's step within a column, its ends anywhere in the pixels.
                    if (pick(0, 30) == 0)
                        column = pick(-2, 41);
                    const double x1 = column + pick(0, 9) / 10.0;
                    const double x2 = column + pick(0, 9) / 10.0;
                    const double y1 = pick(-50, 350) / 10.0;
                    const double y2 = pick(0, 3) == 0 ? y1 : pick(-50, 350) / 10.0;
                    both([&](Canvas& c) { c.line(x1, y1, x2, y2, color, 1, LineStyle::Solid); });
                } else if (kind < 88) {
                    const double x1 = pick(-20, 420) / 10.0, y1 = pick(-20, 320) / 10.0;
                    const double x2 = pick(-20, 420) / 10.0, y2 = pick(-20, 320) / 10.0;
                    both([&](Canvas& c) { c.line(x1, y1, x2, y2, color, 1, LineStyle::Solid); });
                } else if (kind < 92) {
                    const double x = column, y1 = pick(-5, 35), y2 = pick(-5, 35);
                    const LineStyle style = pick(0, 1) == 0 ? LineStyle::Dotted : LineStyle::Solid;
                    const int width = style == LineStyle::Dotted ? 1 : 2;
                    both([&](Canvas& c) { c.line(x, y1, x, y2, color, width, style); });
                } else if (kind < 96) {
                    const double x = pick(-2, 41), y = pick(-2, 31);
                    const double right = x + pick(0, 3), bottom = y + pick(0, 3);
                    both([&](Canvas& c) { c.fillBox(x, y, right, bottom, color); });
                } else if (kind < 98) {
                    const double x = pick(-5, 35), y = pick(-5, 25);
                    both([&](Canvas& c) { c.drawText(x, y, "1", color); });
                } else {
                    both([&](Canvas& c) { c.line(column, 3, column, 3, color, 1, LineStyle::Solid); });
                }
            }
        }
        composed.endBatch();
        EXPECT_TRUE(direct.image() == composed.image());
    }
}

TEST(PlotPictureTest, TheFastRedrawGivesThePictureOfTheFullWalk) {
    struct Case {
        int records, width, height;
    };
    // Many records to a pixel, and a few pixels to a record.
    for (const Case c : {Case{1500, 800, 500}, Case{150, 500, 400}, Case{12000, 400, 391}}) {
        test::TestSession t;
        test::FakeList list(true);
        fillCrossingList(list, c.records);
        setWholeListRange(t.session, "C", c.records);
        t.session.PlotTempMin = -50;
        t.session.PlotTempMax = 600;
        const PlotCaption caption{[] { return std::string(); }, [](const std::string&) {}};
        auto draw = [&](Canvas& canvas) {
            return drawPlot(t.session, canvas, caption, c.width, c.height, &list.grid(), true);
        };

        ImageCanvas walk;
        walk.resize(c.width, c.height);
        ASSERT_TRUE(draw(walk));

        ImageCanvas fast;
        fast.resize(c.width, c.height);
        fast.beginBatch();
        {
            PenGroupingCanvas grouped(fast);
            CoalescingCanvas coalesced(grouped);
            ASSERT_TRUE(draw(coalesced));
        }
        fast.endBatch();
        EXPECT_TRUE(walk.image() == fast.image()) << c.records;

        // The batch alone, every call drawn.
        ImageCanvas batched;
        batched.resize(c.width, c.height);
        batched.beginBatch();
        ASSERT_TRUE(draw(batched));
        batched.endBatch();
        EXPECT_TRUE(walk.image() == batched.image()) << c.records;

        // And the comparison does see the curves: without the last record the picture differs.
        t.session.PlotLastRecord = static_cast<float>(c.records - 1);
        ImageCanvas shorter;
        shorter.resize(c.width, c.height);
        ASSERT_TRUE(draw(shorter));
        EXPECT_FALSE(walk.image() == shorter.image()) << c.records;
    }
}

TEST(PlotPictureTest, RecordsWithoutAValueLeaveAGapInThePicture) {
    // Client 392 x 364: records 11 px apart from x = 60, baseline 337, height 264 over 0..200 C.
    test::TestSession t;
    test::FakeList list(true);
    for (int i = 1; i <= 30; ++i) {
        if (i >= 11 && i <= 20)
            list.addRecord({"----", "----", "----"}, "C");
        else
            list.addRecord({"110.0", "60.0", "50.0"}, "C");
    }
    setWholeListRange(t.session, "C", 30);
    t.session.PlotTempMin = 0;
    t.session.PlotTempMax = 200;
    const PlotCaption caption{[] { return std::string(); }, [](const std::string&) {}};
    ImageCanvas picture;
    picture.resize(392, 364);
    ASSERT_TRUE(drawPlotChart(t.session, picture, caption, 392, 364, &list.grid(), true));
    const QImage& image = picture.image();
    auto curvePixels = [&](int fromX, int toX, int fromY, int toY) {
        int count = 0;
        for (int x = fromX; x <= toX; ++x)
            for (int y = fromY; y <= toY; ++y) {
                const QRgb p = image.pixel(x, y);
                const Rgb c{static_cast<unsigned char>(qRed(p)), static_cast<unsigned char>(qGreen(p)),
                            static_cast<unsigned char>(qBlue(p))};
                if (c == kBlack || c == kBlue || c == kRed)
                    ++count;
            }
        return count;
    };
    // Record 10 stands at x = 159 and record 21 at x = 280: nothing of a curve between them, from
    // above the top of the scale down to just over the baseline.
    EXPECT_EQ(curvePixels(162, 277, 60, 334), 0);
    // The curves run before the gap and resume after it: T1 at y 191.8, T2 at 257.8.
    EXPECT_GT(curvePixels(62, 157, 190, 194), 80);
    EXPECT_GT(curvePixels(62, 157, 256, 260), 80);
    EXPECT_GT(curvePixels(283, 370, 190, 194), 80);
    EXPECT_GT(curvePixels(283, 370, 256, 260), 80);
}

}  // namespace
}  // namespace calvex
