#include "graph/drawing_journal.h"

#include <gtest/gtest.h>

#include <cmath>

#include "canvas/image_canvas.h"
#include "graph/real_time_chart.h"
#include "support/recording_canvas.h"
#include "support/test_session.h"

namespace calvex {
namespace {

using Call = test::RecordingCanvas::Call;

std::vector<Call> replayed(const DrawingJournal& journal) {
    test::RecordingCanvas out;
    EXPECT_TRUE(journal.replay(out));
    return out.calls;
}

TEST(DrawingJournalTest, KeepsWhatStillShowsAndPassesEverythingOn) {
    test::RecordingCanvas target;
    DrawingJournal journal(target);
    journal.clear(kWhite);
    journal.line(10, 10, 100, 10, kBlack, 1, LineStyle::Dotted);  // drawn again below
    journal.line(20, 30, 21, 40, kRed, 1, LineStyle::Solid);      // wiped wholly
    journal.line(30, 30, 33, 40, kBlue, 1, LineStyle::Solid);     // wiped in two pieces
    journal.line(50, 30, 56, 40, kBlue, 1, LineStyle::Solid);     // wiped only in its middle
    journal.drawText(70, 50, "12:00:00", kBlack);                 // a new time goes over it
    journal.fillBox(20, 25, 22, 45, kWhite);
    journal.fillBox(29, 25, 31, 45, kWhite);
    journal.fillBox(32, 25, 34, 45, kWhite);
    journal.fillBox(52, 25, 53, 45, kWhite);
    journal.fillBox(60, 50, 80, 55, kWhite);
    journal.drawText(70, 50, "12:01:00", kBlack);
    journal.line(10, 10, 100, 10, kBlack, 1, LineStyle::Dotted);

    EXPECT_EQ(target.calls.size(), 13u);
    const std::vector<Call> kept = replayed(journal);
    std::vector<std::string> described;
    for (const Call& c : kept) {
        switch (c.kind) {
            case Call::Clear:
                described.push_back("clear");
                break;
            case Call::Line:
                described.push_back("line " + std::to_string(static_cast<int>(c.x1)));
                break;
            case Call::Box:
                described.push_back("box " + std::to_string(static_cast<int>(c.x1)));
                break;
            case Call::Text:
                described.push_back("text " + c.text);
                break;
        }
    }
    // The box at 29 is covered by nothing later; the one at 20 neither: boxes stay, as they paint.
    const std::vector<std::string> expected{"clear",  "line 50", "box 20",        "box 29", "box 32",
                                            "box 52", "box 60",  "text 12:01:00", "line 10"};
    EXPECT_EQ(described, expected);
    EXPECT_EQ(journal.keptCalls(), expected.size());
}

TEST(DrawingJournalTest, AClearStartsAfresh) {
    test::RecordingCanvas target;
    DrawingJournal journal(target);
    journal.line(1, 1, 5, 5, kBlack, 1, LineStyle::Solid);
    journal.clear(kWhite);
    journal.line(2, 2, 6, 6, kBlack, 1, LineStyle::Solid);
    const std::vector<Call> kept = replayed(journal);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].kind, Call::Clear);
    EXPECT_EQ(kept[1].x1, 2);
}

// The real-time graph swept several times with changing readings, at a step that does not divide
// the width: the journal played back onto a fresh image gives the window's picture, and it does
// not grow with the sweeps.
TEST(DrawingJournalTest, AReplayedGraphIsTheGraphAndStaysSmall) {
    test::TestSession ts;
    Session& s = ts.session;
    s.state.Unit = "C";
    s.state.DualModel = true;
    s.state.ReadingKnown = true;
    s.GraphMax = 100;
    s.GraphMin = -20;
    s.GraphStep = 0.7f;
    ImageCanvas image(QFont("DejaVu Sans", 9));
    image.resize(500, 400);
    DrawingJournal journal(image);
    RealTimeChart chart(s, journal, ReadingValue("C"), true);
    chart.Form_Load();
    chart.Form_Resize();

    const int perSweep = static_cast<int>(std::ceil(s.GraphWidth / s.GraphStep));
    std::size_t keptAfterTwo = 0;
    for (int tick = 0; tick < 6 * perSweep; ++tick) {
        const double t1 = 40 + 50 * std::sin(tick / 17.0);
        const double t2 = 30 + 40 * std::cos(tick / 11.0);
        s.state.T1C = tick % 97 == 0 ? ReadingValue("OL") : ReadingValue(t1);
        s.state.T2C = t2;
        s.state.T1T2C = t1 - t2;
        ASSERT_TRUE(chart.sweepStep());
        ts.clock.advanceMs(150);
        if (tick == 2 * perSweep)
            keptAfterTwo = journal.keptCalls();
    }
    // A sweep draws some two thousand calls; of four more sweeps only a few calls stay, those in the
    // two columns at the left edge and the row under the baseline that the wipe never reaches.
    EXPECT_LT(journal.keptCalls(), keptAfterTwo + keptAfterTwo / 10);

    ImageCanvas again(image.font());
    again.resize(500, 400);
    ASSERT_TRUE(journal.replay(again));
    const int timeRow = static_cast<int>(chart.graphBase()) + 10;
    int differing = 0;
    for (int y = 0; y < timeRow; ++y)
        for (int x = 0; x < 500; ++x)
            if (again.image().pixel(x, y) != image.image().pixel(x, y))
                ++differing;
    EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace calvex
