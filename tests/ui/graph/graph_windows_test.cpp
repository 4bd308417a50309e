#include "ui/graph/graph_windows.h"

#include <gtest/gtest.h>
#include <QCoreApplication>

#include "support/fake_panel.h"
#include "support/test_session.h"

namespace calvex {
namespace {

class GraphWindowsTest : public ::testing::Test {
protected:
    GraphWindowsTest() {
        session.graph = &windows;
        session.panel = &panel;
        state.Unit = "C";
        state.T1C = 20.0;
        state.ReadingKnown = true;
    }
    ~GraphWindowsTest() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    test::TestSession ts;
    Session& session = ts.session;
    InstrumentState& state = ts.session.state;
    test::FakePanel panel;
    GraphWindows windows{ts.session};
};

TEST_F(GraphWindowsTest, OpeningSetsTheRunAndShowsTheGraph) {
    panel.interval = 200;
    state.DualModel = true;
    windows.openGraph();
    RealTime23* graph = windows.graph();
    ASSERT_NE(graph, nullptr);
    EXPECT_TRUE(windows.visible());
    EXPECT_EQ(graph->windowTitle(), "Real Time Graph ");
    EXPECT_TRUE(state.GraphActive);
    EXPECT_TRUE(graph->chart().dualModelAtStart());
    EXPECT_EQ(graph->chart().unitAtStart(), ReadingValue("C"));
    EXPECT_EQ(session.GraphLimitMax, 1760);
    EXPECT_EQ(session.GraphLimitMin, -200);
    EXPECT_EQ(session.GraphMax, 1760);
    EXPECT_EQ(session.GraphMin, -200);
    EXPECT_EQ(session.GraphStep, 1);
    const QTimer* timer = graph->findChild<QTimer*>("Timer1");
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 200);
    // Right of the panel, at the top of the screen; the design's client area.
    const QRect panelFrame = panel.window.frameGeometry();
    EXPECT_EQ(graph->pos(), QPoint(panelFrame.x() + panelFrame.width(), 0));
    EXPECT_EQ(graph->size(), QSize(349, 364));
    EXPECT_EQ(session.GraphWidth, 270);
    EXPECT_EQ(graph->image().size(), graph->size());
}

TEST_F(GraphWindowsTest, TheChartTellsScreenReadersWhatItShowsAndItsScale) {
    state.DualModel = true;
    windows.openGraph();
    ASSERT_NE(windows.graph(), nullptr);
    EXPECT_EQ(windows.graph()->accessibleDescription(),
              "Real-time graph of T1, T2 and T1-T2 in C, scale -200 to 1760");
    // A new range reopens the graph.
    session.GraphMax = 100;
    session.GraphMin = 0;
    windows.close();
    state.DualModel = false;
    windows.showGraph();
    ASSERT_NE(windows.graph(), nullptr);
    EXPECT_EQ(windows.graph()->accessibleDescription(),
              "Real-time graph of T1, T2 and T1-T2 in C, scale 0 to 100");
}

TEST_F(GraphWindowsTest, LimitsByUnitAndOtherTextsKeepThePreviousOnes) {
    struct Case {
        ReadingValue unit;
        double max, min;
    };
    const Case cases[] = {{"F", 2000, -328}, {"K", 2000, 0}, {"C", 1760, -200}, {ReadingValue(), 1760, -200}};
    for (const Case& c : cases) {
        SCOPED_TRACE(debugText(c.unit));
        session.GraphMax = 5;
        session.GraphMin = 1;
        session.GraphStep = 0.5f;
        state.Unit = c.unit;
        windows.openGraph();
        EXPECT_EQ(session.GraphLimitMax, c.max);
        EXPECT_EQ(session.GraphLimitMin, c.min);
        EXPECT_EQ(session.GraphMax, c.max);
        EXPECT_EQ(session.GraphMin, c.min);
        EXPECT_EQ(session.GraphStep, 1);
    }
}

TEST_F(GraphWindowsTest, OpeningAgainReplacesTheGraphWithAnEmptyOne) {
    windows.openGraph();
    QPointer<RealTime23> first = windows.graph();
    first->Timer1_Timer();
    windows.openGraph();
    ASSERT_NE(windows.graph(), nullptr);
    EXPECT_NE(windows.graph(), first.data());
    EXPECT_TRUE(first.isNull() || !first->isVisible());
    EXPECT_TRUE(windows.visible());
    EXPECT_TRUE(state.GraphActive);
    EXPECT_EQ(windows.graph()->chart().graphX(), -1);
}

TEST_F(GraphWindowsTest, AUnitChangeEndsTheRunAndThePollerClosesTheWindow) {
    windows.openGraph();
    RealTime23* graph = windows.graph();
    graph->Timer1_Timer();
    const QImage before = graph->image();
    state.Unit = "F";
    graph->Timer1_Timer();
    EXPECT_FALSE(state.GraphActive);
    EXPECT_EQ(graph->image(), before);
    // What the panel's poller does when it sees it.
    if (!state.GraphActive && session.graph->visible())
        session.graph->close();
    EXPECT_FALSE(windows.visible());
    EXPECT_EQ(windows.graph(), nullptr);
}

TEST_F(GraphWindowsTest, AGraphReopenedByTheRangeDialogContinuesTheRun) {
    windows.openGraph();
    state.Unit = "F";
    state.DualModel = true;
    // The range dialog's OK, after the instrument changed.
    windows.close();
    state.GraphActive = true;
    windows.showGraph();
    RealTime23* graph = windows.graph();
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(graph->chart().unitAtStart(), ReadingValue("C"));
    EXPECT_FALSE(graph->chart().dualModelAtStart());
    graph->Timer1_Timer();
    EXPECT_FALSE(state.GraphActive);
}

TEST_F(GraphWindowsTest, ClosingStopsTheTimerAndEndsTheRun) {
    windows.openGraph();
    RealTime23* graph = windows.graph();
    graph->close();
    EXPECT_FALSE(graph->Timer1.isActive());
    EXPECT_FALSE(state.GraphActive);
    EXPECT_FALSE(windows.visible());
}

TEST_F(GraphWindowsTest, TheWindowKeepsItsMinimumSizeAndRedrawsTheFrameOnResize) {
    windows.openGraph();
    RealTime23* graph = windows.graph();
    graph->resize(100, 100);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(graph->size(), QSize(349, 364));
    graph->resize(460, 400);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(graph->image().size(), QSize(460, 400));
    EXPECT_EQ(session.GraphWidth, 390);
    EXPECT_EQ(graph->chart().graphX(), -1);
    EXPECT_EQ(graph->Toolbar1->geometry(), QRect(0, 0, 460, 28));
}

TEST_F(GraphWindowsTest, ASweepStepChangesOnlyTheStripAroundTheCursorAndTheGridRows) {
    windows.openGraph();
    RealTime23* graph = windows.graph();
    for (int i = 0; i < 100; ++i)
        graph->Timer1_Timer();
    state.T1C = 900.0;
    const QImage before = graph->image().copy();
    graph->Timer1_Timer();
    const QImage after = graph->image();
    const int cursor = 60 + static_cast<int>(graph->chart().graphX());
    const int base = static_cast<int>(graph->chart().graphBase());
    const double height = graph->chart().graphHeight();
    int changed = 0;
    for (int y = 0; y < after.height(); ++y) {
        for (int x = 0; x < after.width(); ++x) {
            if (before.pixel(x, y) == after.pixel(x, y))
                continue;
            ++changed;
            bool onGridRow = false;
            for (int k = 1; k <= 8; ++k)
                onGridRow |= std::abs(y - (base - height * k / 8)) <= 1.0;
            EXPECT_TRUE((x >= cursor - 2 && x <= cursor + 4) || onGridRow) << x << "," << y;
        }
    }
    EXPECT_GT(changed, 0);
}

TEST_F(GraphWindowsTest, ToolbarKeysOpenTheRangeDialogAndPrintTheChart) {
    windows.openGraph();
    RealTime23* graph = windows.graph();
    ASSERT_NE(graph->toolbarButton("Limit"), nullptr);
    EXPECT_EQ(graph->toolbarButton("Limit")->toolTip(), "Limit");
    EXPECT_EQ(graph->toolbarButton("Print")->toolTip(), "Print");

    graph->Toolbar1_ButtonClick("Other");
    EXPECT_EQ(windows.range(), nullptr);
    EXPECT_TRUE(ts.printer.images.empty());

    graph->toolbarButton("Limit")->trigger();
    ASSERT_NE(windows.range(), nullptr);
    EXPECT_TRUE(windows.range()->isVisible());
    EXPECT_EQ(windows.range()->windowTitle(), "Real Time Range");

    graph->Toolbar1_ButtonClick("Print");
    ASSERT_EQ(ts.printer.images.size(), 1u);
    EXPECT_EQ(ts.printer.images[0], graph->image());
    EXPECT_TRUE(ts.dialogs.messages.empty());
    EXPECT_EQ(ts.dialogs.busyDepth, 0);

    ts.printer.failImage = true;
    graph->Toolbar1_ButtonClick("Print");
    ASSERT_EQ(ts.dialogs.messages.size(), 1u);
    EXPECT_EQ(ts.dialogs.messages[0].style, 16);
    EXPECT_EQ(ts.dialogs.messages[0].details, "The printer is out of paper.");
}

TEST_F(GraphWindowsTest, WithoutAPanelTheSweepRunsAtThePollersDefaultPace) {
    session.panel = nullptr;
    windows.openGraph();
    EXPECT_EQ(windows.graph()->Timer1.interval(), 150);
}

}  // namespace
}  // namespace calvex
