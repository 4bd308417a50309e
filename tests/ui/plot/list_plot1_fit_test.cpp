#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>

#include "support/plot_fakes.h"
#include "support/test_session.h"
#include "ui/plot/list_plot1.h"
#include "ui/plot/plot_range.h"
#include "ui/plot/plot_windows.h"

namespace calvex {
namespace {

using test::setWholeListRange;

struct ListPlot1FitTest : ::testing::Test {
    test::TestSession t;
    Session& s = t.session;
    PlotWindows plots{s};
    test::FakeList list{false};

    ListPlot1FitTest() { s.plot = &plots; }
    ~ListPlot1FitTest() override {
        plots.close();
        if (plots.rangeWindow() != nullptr)
            plots.rangeWindow()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // A day near room temperature: 20.0 to 30.0 C.
    ListPlot1* openWithReadings() {
        for (int i = 0; i <= 10; ++i)
            list.addRecord({std::to_string(20 + i) + ".0"}, "C");
        setWholeListRange(s, "C", 11);
        plots.show(&list);
        return plots.plotWindow();
    }
    QLineEdit* rangeBox(const char* name) const { return plots.rangeWindow()->findChild<QLineEdit*>(name); }
};

TEST_F(ListPlot1FitTest, FitIsACheckableButtonAfterExportWithItsKeyAndNames) {
    ListPlot1* w = openWithReadings();
    ASSERT_NE(w, nullptr);
    auto* toolbar = w->findChild<QToolBar*>("Toolbar1");
    ASSERT_NE(toolbar, nullptr);
    const QList<QAction*> actions = toolbar->actions();
    ASSERT_GE(actions.size(), 2);
    EXPECT_EQ(actions[actions.size() - 2]->data().toString(), "Export");
    QAction* fit = actions.last();
    EXPECT_EQ(fit, w->fitButton());
    EXPECT_EQ(fit->objectName(), "Fit");
    EXPECT_EQ(fit->toolTip(), "Fit Scale");
    EXPECT_TRUE(fit->isCheckable());
    EXPECT_FALSE(fit->isChecked());
    EXPECT_FALSE(fit->icon().isNull());
    EXPECT_EQ(fit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
    QAccessibleInterface* button = QAccessible::queryAccessibleInterface(toolbar->widgetForAction(fit));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(QAccessible::Name), "Fit Scale");
    EXPECT_FALSE(button->text(QAccessible::Description).isEmpty());
}

TEST_F(ListPlot1FitTest, FitFitsTheScaleAndPressedAgainGivesTheWholeSpanBack) {
    ListPlot1* w = openWithReadings();
    ASSERT_NE(w, nullptr);
    const QImage whole = w->chartImage();

    // As the key or a click runs it: the action toggles, the window follows the plot's state.
    w->fitButton()->trigger();
    EXPECT_TRUE(s.plotFit.on);
    EXPECT_TRUE(w->fitButton()->isChecked());
    EXPECT_EQ(s.PlotTempMin, 15);
    EXPECT_EQ(s.PlotTempMax, 35);
    EXPECT_NE(w->chartImage(), whole);
    EXPECT_TRUE(w->accessibleDescription().contains("scale 15 to 35 fitted to the readings"))
        << w->accessibleDescription().toStdString();
    EXPECT_TRUE(t.dialogs.messages.empty());

    w->Toolbar1_ButtonClick("Fit");
    EXPECT_FALSE(s.plotFit.on);
    EXPECT_FALSE(w->fitButton()->isChecked());
    EXPECT_EQ(s.PlotTempMin, -200);
    EXPECT_EQ(s.PlotTempMax, 1760);
    EXPECT_EQ(w->chartImage(), whole);
}

TEST_F(ListPlot1FitTest, TheLimitDialogShowsTheFittedScaleAndItsOkEndsTheFit) {
    ListPlot1* w = openWithReadings();
    ASSERT_NE(w, nullptr);
    // A dialog already open follows the fit.
    w->Toolbar1_ButtonClick("Limit");
    ASSERT_NE(plots.rangeWindow(), nullptr);
    EXPECT_EQ(rangeBox("TxtT1")->text(), "-200");
    w->Toolbar1_ButtonClick("Fit");
    EXPECT_EQ(rangeBox("TxtT1")->text(), "15");
    EXPECT_EQ(rangeBox("TxtT2")->text(), "35");
    EXPECT_EQ(rangeBox("TxtR1")->text(), "1");
    EXPECT_EQ(rangeBox("TxtR2")->text(), "11");

    // Typed limits are the user's scale: the fit ends, the new plot opens unfitted.
    rangeBox("TxtT2")->setText("40");
    plots.rangeWindow()->CmdOK_Click();
    EXPECT_TRUE(t.dialogs.messages.empty());
    EXPECT_FALSE(s.plotFit.on);
    EXPECT_EQ(s.PlotTempMin, 15);
    EXPECT_EQ(s.PlotTempMax, 40);
    ASSERT_NE(plots.plotWindow(), nullptr);
    EXPECT_FALSE(plots.plotWindow()->fitButton()->isChecked());

    // A fit shown in a dialog opened afterwards, too.
    plots.plotWindow()->Toolbar1_ButtonClick("Fit");
    plots.plotWindow()->Toolbar1_ButtonClick("Limit");
    EXPECT_EQ(rangeBox("TxtT1")->text(), "15");
    EXPECT_EQ(rangeBox("TxtT2")->text(), "35");
}

TEST_F(ListPlot1FitTest, WithoutReadingsFitSaysSoAndLeavesTheScale) {
    for (const char* mark : {"----", "OL", "-OL", "----"})
        list.addRecord({mark}, "C");
    setWholeListRange(s, "C", 4);
    plots.show(&list);
    ListPlot1* w = plots.plotWindow();
    ASSERT_NE(w, nullptr);
    const QImage before = w->chartImage();

    w->fitButton()->trigger();
    ASSERT_EQ(t.dialogs.messages.size(), 1u);
    EXPECT_EQ(t.dialogs.messages[0].text,
              "The plotted records hold no readings to fit the scale to; the scale stays as it is.");
    EXPECT_EQ(t.dialogs.messages[0].style, 64);
    EXPECT_EQ(t.dialogs.notices, 1);
    EXPECT_FALSE(s.plotFit.on);
    EXPECT_FALSE(w->fitButton()->isChecked());
    EXPECT_EQ(s.PlotTempMin, -200);
    EXPECT_EQ(s.PlotTempMax, 1760);
    EXPECT_EQ(w->chartImage(), before);
}

}  // namespace
}  // namespace calvex
