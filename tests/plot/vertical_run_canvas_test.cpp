#include "plot/vertical_run_canvas.h"

#include <gtest/gtest.h>

#include "support/recording_canvas.h"

namespace calvex {
namespace {

using Call = test::RecordingCanvas::Call;

struct Line {
    double x1, y1, x2, y2;
    Rgb color = kBlack;
    LineStyle style = LineStyle::Solid;
};

std::vector<Line> through(const std::vector<Line>& in) {
    test::RecordingCanvas target;
    {
        VerticalRunCanvas runs(target);
        for (const Line& l : in)
            runs.line(l.x1, l.y1, l.x2, l.y2, l.color, 1, l.style);
    }
    std::vector<Line> out;
    for (const Call& c : target.calls)
        out.push_back({c.x1, c.y1, c.x2, c.y2, c.color, c.style});
    return out;
}

bool operator==(const Line& a, const Line& b) {
    return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2 && a.color == b.color &&
           a.style == b.style;
}

TEST(VerticalRunCanvasTest, AChainInOneColumnBecomesOneLine) {
    struct Case {
        const char* what;
        std::vector<Line> in;
        std::vector<Line> out;
    };
    const std::vector<Case> cases = {
        {"up and down in column 10, ends in the same pixels",
         {{10.2, 50.7, 10.5, 40.1}, {10.5, 40.9, 10.8, 70.3}, {10.8, 70.6, 10.9, 60}},
         {{10, 40, 10, 70}}},
        {"a line into the next column ends the chain",
         {{10.2, 50, 10.6, 40}, {10.6, 40, 11.1, 45}, {11.1, 45, 11.5, 47}},
         {{10, 40, 10, 50}, {10.6, 40, 11.1, 45}, {11, 45, 11, 47}}},
        {"another pen or a gap starts another chain",
         {{10, 50, 10, 40}, {10, 40, 10, 30, kBlue}, {10, 31, 10, 20, kBlue}},
         {{10, 40, 10, 50}, {10, 30, 10, 40, kBlue}, {10, 20, 10, 31, kBlue}}},
        {"dotted lines pass as they are",
         {{10, 50, 10, 40, kBlack, LineStyle::Dotted}, {10, 40, 10, 30, kBlack, LineStyle::Dotted}},
         {{10, 50, 10, 40, kBlack, LineStyle::Dotted}, {10, 40, 10, 30, kBlack, LineStyle::Dotted}}},
        {"a chain within one pixel shows nothing on a page",
         {{10.1, 40.2, 10.7, 40.9}, {10.7, 40.9, 10.8, 40}},
         {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(through(c.in), c.out) << c.what;
}

TEST(VerticalRunCanvasTest, OtherCallsKeepTheirPlaceAfterTheChain) {
    test::RecordingCanvas target;
    VerticalRunCanvas runs(target);
    runs.line(10, 50, 10, 40, kBlack, 1, LineStyle::Solid);
    runs.line(10, 40, 10, 30, kBlack, 1, LineStyle::Solid);
    runs.drawText(5, 5, "12:00:00", kBlack);
    runs.line(10, 30, 10, 20, kBlack, 1, LineStyle::Solid);
    runs.flush();
    ASSERT_EQ(target.calls.size(), 3u);
    EXPECT_EQ(target.calls[0].kind, Call::Line);
    EXPECT_EQ(target.calls[0].y1, 30);
    EXPECT_EQ(target.calls[0].y2, 50);
    EXPECT_EQ(target.calls[1].kind, Call::Text);
    EXPECT_EQ(target.calls[2].y1, 20);
    EXPECT_EQ(target.calls[2].y2, 30);
}

}  // namespace
}  // namespace calvex
