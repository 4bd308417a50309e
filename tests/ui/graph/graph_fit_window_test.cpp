#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QToolBar>

#include "support/test_session.h"
#include "ui/graph/graph_windows.h"

namespace calvex {
namespace {

class GraphFitWindowTest : public ::testing::Test {
protected:
    GraphFitWindowTest() {
        session.graph = &windows;
        state.Unit = "C";
        state.ReadingKnown = true;
        state.T1C = 20.0;
        windows.openGraph();
    }
    ~GraphFitWindowTest() override {
        windows.close();
        if (windows.range() != nullptr)
            windows.range()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    RealTime23* graph() const { return windows.graph(); }
    QAction* fit() const { return graph()->toolbarButton("Fit"); }
    void ticks(int n) {
        for (int i = 0; i < n; ++i)
            graph()->Timer1_Timer();
    }

    test::TestSession ts;
    Session& session = ts.session;
    InstrumentState& state = ts.session.state;
    GraphWindows windows{ts.session};
};

TEST_F(GraphFitWindowTest, FitIsACheckableButtonAfterExportWithItsKeyAndNames) {
    ASSERT_NE(graph(), nullptr);
    const QList<QAction*> actions = graph()->Toolbar1->actions();
    ASSERT_EQ(actions.size(), 5);
    EXPECT_EQ(actions[3]->data().toString(), "Export");
    EXPECT_EQ(actions[4], fit());
    EXPECT_EQ(fit()->objectName(), "Fit");
    EXPECT_EQ(fit()->toolTip(), "Fit Scale");
    EXPECT_TRUE(fit()->isCheckable());
    EXPECT_FALSE(fit()->isChecked());
    EXPECT_FALSE(fit()->icon().isNull());
    EXPECT_EQ(fit()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
    QAccessibleInterface* button =
        QAccessible::queryAccessibleInterface(graph()->Toolbar1->widgetForAction(fit()));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(QAccessible::Name), "Fit Scale");
    EXPECT_FALSE(button->text(QAccessible::Description).isEmpty());
}

TEST_F(GraphFitWindowTest, FitFollowsTheReadingsUntilPressedAgain) {
    ticks(20);
    const QImage whole = graph()->image();
    fit()->trigger();
    EXPECT_TRUE(fit()->isChecked());
    EXPECT_TRUE(session.graphFit.on);
    EXPECT_EQ(session.GraphMin, 19);
    EXPECT_EQ(session.GraphMax, 21);
    EXPECT_NE(graph()->image(), whole);
    EXPECT_TRUE(graph()->accessibleDescription().contains("scale 19 to 21 following the readings"))
        << graph()->accessibleDescription().toStdString();
    EXPECT_TRUE(ts.dialogs.messages.empty());

    // A reading above the scale widens it at the next tick, the button still pressed.
    state.T1C = 25.0;
    ticks(1);
    EXPECT_EQ(session.GraphMin, 18);
    EXPECT_EQ(session.GraphMax, 26);
    EXPECT_TRUE(fit()->isChecked());
    EXPECT_TRUE(graph()->accessibleDescription().contains("scale 18 to 26"));

    fit()->trigger();
    EXPECT_FALSE(fit()->isChecked());
    EXPECT_FALSE(session.graphFit.on);
    EXPECT_EQ(session.GraphMin, -200);
    EXPECT_EQ(session.GraphMax, 1760);
    state.T1C = 1000.0;
    ticks(1);
    EXPECT_EQ(session.GraphMax, 1760);
}

TEST_F(GraphFitWindowTest, TheLimitDialogShowsTheFittedScaleAndItsOkEndsFollowing) {
    ticks(5);
    graph()->Toolbar1_ButtonClick("Limit");
    ASSERT_NE(windows.range(), nullptr);
    EXPECT_EQ(windows.range()->TxtMax->text(), "1760");
    // An open dialog shows the scale Fit gives.
    graph()->Toolbar1_ButtonClick("Fit");
    EXPECT_EQ(windows.range()->TxtMax->text(), "21");
    EXPECT_EQ(windows.range()->TxtMin->text(), "19");

    windows.range()->TxtMax->setText("30");
    windows.range()->TxtMin->setText("10");
    windows.range()->CmdOK_Click();
    EXPECT_TRUE(ts.dialogs.messages.empty());
    EXPECT_FALSE(session.graphFit.on);
    EXPECT_EQ(session.GraphMax, 30);
    EXPECT_EQ(session.GraphMin, 10);
    ASSERT_NE(graph(), nullptr);
    EXPECT_FALSE(fit()->isChecked());
    // Not following: a reading above 30 leaves the scale as typed.
    state.T1C = 45.0;
    ticks(3);
    EXPECT_EQ(session.GraphMax, 30);

    // A dialog opened on a fitted scale shows it.
    graph()->Toolbar1_ButtonClick("Fit");
    graph()->Toolbar1_ButtonClick("Limit");
    EXPECT_EQ(windows.range()->TxtMax->text(), "46");
    EXPECT_EQ(windows.range()->TxtMin->text(), "44");
}

TEST_F(GraphFitWindowTest, WithoutReadingsFitSaysSoAndLeavesTheScale) {
    state.ReadingKnown = false;
    ticks(5);
    const QImage before = graph()->image();
    fit()->trigger();
    ASSERT_EQ(ts.dialogs.messages.size(), 1u);
    EXPECT_EQ(ts.dialogs.messages[0].text,
              "The graph shows no readings to fit the scale to yet; the scale stays as it is.");
    EXPECT_EQ(ts.dialogs.messages[0].style, 64);
    EXPECT_EQ(ts.dialogs.notices, 1);
    EXPECT_FALSE(fit()->isChecked());
    EXPECT_FALSE(session.graphFit.on);
    EXPECT_EQ(session.GraphMin, -200);
    EXPECT_EQ(session.GraphMax, 1760);
    EXPECT_EQ(graph()->image(), before);
}

}  // namespace
}  // namespace calvex
