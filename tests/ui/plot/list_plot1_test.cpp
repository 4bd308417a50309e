#include <gtest/gtest.h>

#include <QAccessible>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QToolBar>
#include <QToolButton>

#include "support/fake_panel.h"
#include "support/plot_fakes.h"
#include "support/test_session.h"
#include "ui/plot/list_plot1.h"
#include "ui/plot/plot_range.h"
#include "ui/plot/plot_windows.h"

namespace calvex {
namespace {

using test::FakePanel;
using test::setWholeListRange;

struct ListPlot1Test : ::testing::Test {
    test::TestSession t;
    Session& s = t.session;
    PlotWindows plots{s};
    test::FakeList list{true};

    ListPlot1Test() {
        s.plot = &plots;
        for (int i = 1; i <= 20; ++i)
            list.addRecord({std::to_string(20 + i), std::to_string(i), "3"}, "C");
        setWholeListRange(s, "C", 20);
    }
    ~ListPlot1Test() override {
        plots.close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    ListPlot1* open() {
        plots.show(&list);
        return plots.plotWindow();
    }
    static QSize outer(QWidget* w) { return w->frameGeometry().size(); }
    static void resizeOuter(QWidget* w, int width, int height) {
        const QSize frame = outer(w) - w->size();
        w->resize(width - frame.width(), height - frame.height());
        QCoreApplication::processEvents();
    }
    static bool hasInk(const QImage& image) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != qRgb(255, 255, 255))
                    return true;
        return false;
    }
};

TEST_F(ListPlot1Test, OpensDrawnWithItsCaptionAndToolbar) {
    ListPlot1* w = open();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(plots.visible());
    EXPECT_EQ(w->objectName(), "ListPlot1");
    EXPECT_EQ(w->windowTitle(), "Plot Data/File ");
    EXPECT_FALSE(w->drawFailed());
    EXPECT_EQ(w->chartImage().size(), w->size());
    EXPECT_TRUE(hasInk(w->chartImage()));
    EXPECT_EQ(s.GridColor, 7);

    auto* toolbar = w->findChild<QToolBar*>("Toolbar1");
    ASSERT_NE(toolbar, nullptr);
    EXPECT_EQ(toolbar->pos(), QPoint(0, 0));
    EXPECT_EQ(toolbar->width(), w->width());
    for (const char* key : {"Limit", "Print"}) {
        auto* action = w->findChild<QAction*>(key);
        ASSERT_NE(action, nullptr) << key;
        EXPECT_EQ(action->toolTip(), key);
        EXPECT_FALSE(action->icon().isNull());
        // A screen reader reads the button's text, the key.
        QAccessibleInterface* button =
            QAccessible::queryAccessibleInterface(toolbar->widgetForAction(action));
        ASSERT_NE(button, nullptr) << key;
        EXPECT_EQ(button->text(QAccessible::Name), key);
    }
}

TEST_F(ListPlot1Test, OpensRightOfThePanel) {
    FakePanel panel;
    panel.window.setGeometry(100, 50, 300, 200);
    s.panel = &panel;
    s.GridColor = 3;
    ListPlot1* w = open();
    EXPECT_EQ(w->x(), panel.window.x() + panel.window.frameGeometry().width());
    EXPECT_EQ(s.GridColor, 7);
    s.panel = nullptr;
}

TEST_F(ListPlot1Test, NeverSmallerThan400By391Outside) {
    ListPlot1* w = open();
    struct Case {
        int width, height;
        QSize expected;
    };
    const Case cases[] = {{500, 450, {500, 450}}, {400, 391, {400, 391}}, {399, 391, {400, 391}},
                          {400, 390, {400, 391}}, {200, 100, {400, 391}}, {620, 391, {620, 391}}};
    for (const Case& c : cases) {
        resizeOuter(w, c.width, c.height);
        EXPECT_EQ(outer(w), c.expected) << c.width << "x" << c.height;
        // The kept chart is the one drawn at the size that stayed.
        EXPECT_EQ(w->chartImage().size(), w->size()) << c.width << "x" << c.height;
        EXPECT_TRUE(hasInk(w->chartImage()));
    }
}

TEST_F(ListPlot1Test, LimitShowsTheRangeDialogWithTheUnit) {
    ListPlot1* w = open();
    w->Toolbar1_ButtonClick("Limit");
    PlotRange* range = plots.rangeWindow();
    ASSERT_NE(range, nullptr);
    EXPECT_TRUE(range->isVisible());
    EXPECT_EQ(range->windowTitle(), "Plot Range ( C )");
    EXPECT_EQ(range->pos(), QPoint(0, 0));
    EXPECT_EQ(range->findChild<QLineEdit*>("TxtR2")->text(), "20");
    // Another press shows the same dialog, as the user left it.
    range->findChild<QLineEdit*>("TxtR2")->setText("7");
    w->Toolbar1_ButtonClick("Limit");
    EXPECT_EQ(plots.rangeWindow(), range);
    EXPECT_EQ(range->findChild<QLineEdit*>("TxtR2")->text(), "7");
    w->Toolbar1_ButtonClick("Zoom");
    range->close();
}

TEST_F(ListPlot1Test, PrintSendsTheChartWithoutTheToolbar) {
    ListPlot1* w = open();
    w->Toolbar1_ButtonClick("Print");
    ASSERT_EQ(t.printer.images.size(), 1u);
    const QImage& printed = t.printer.images[0];
    EXPECT_EQ(printed.size(), w->size());
    EXPECT_TRUE(printed == w->chartImage());
    // Where the toolbar lies on the screen the picture is white.
    for (int x = 0; x < 60; ++x)
        EXPECT_EQ(printed.pixel(x, 5), qRgb(255, 255, 255));
    EXPECT_TRUE(w->findChild<QToolBar*>("Toolbar1")->isVisible());
    EXPECT_TRUE(t.dialogs.messages.empty());

    t.printer.failImage = true;
    w->Toolbar1_ButtonClick("Print");
    ASSERT_EQ(t.dialogs.messages.size(), 1u);
    EXPECT_EQ(t.dialogs.messages[0].text, "The plot could not be printed.");
    EXPECT_EQ(t.dialogs.messages[0].style, 16);
    EXPECT_EQ(t.dialogs.messages[0].details, "The printer is out of paper.");
}

TEST_F(ListPlot1Test, AClosedListHidesThePlotAtTheNextRedraw) {
    ListPlot1* w = open();
    ASSERT_TRUE(plots.visible());
    list.closeWindow();
    EXPECT_TRUE(plots.visible());
    resizeOuter(w, 500, 450);
    EXPECT_FALSE(plots.visible());
    EXPECT_TRUE(w->drawFailed());
    // Reopened for the same (closed) list, as the range dialog does: it does not stay up.
    plots.show(nullptr);
    EXPECT_FALSE(plots.visible());
}

TEST_F(ListPlot1Test, ARangeBeyondTheListHidesThePlot) {
    s.PlotLastRecord = s.PlotRecordCount = 25;
    open();
    EXPECT_FALSE(plots.visible());
    EXPECT_EQ(plots.plotWindow()->windowTitle(), "21 Records Completed");
}

TEST_F(ListPlot1Test, RangeOkReopensThePlotForTheSameList) {
    ListPlot1* first = open();
    first->Toolbar1_ButtonClick("Limit");
    PlotRange* range = plots.rangeWindow();
    range->findChild<QLineEdit*>("TxtT1")->setText("0");
    range->findChild<QLineEdit*>("TxtT2")->setText("100");
    range->findChild<QLineEdit*>("TxtR1")->setText("5");
    range->findChild<QLineEdit*>("TxtR2")->setText("15");
    range->CmdOK_Click();
    EXPECT_TRUE(t.dialogs.messages.empty());
    EXPECT_FALSE(range->isVisible());
    EXPECT_FALSE(first->isVisible());
    ListPlot1* second = plots.plotWindow();
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_TRUE(plots.visible());
    EXPECT_EQ(second->windowTitle(), "Plot Data/File ");
    EXPECT_EQ(s.PlotRecordCount, 11);
    EXPECT_EQ(s.PlotFirstRecord, 5);
    EXPECT_EQ(list.grid().row(), 15);
}

}  // namespace
}  // namespace calvex
