#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPointer>
#include <QScrollBar>
#include <QTableView>

#include "app/session.h"
#include "lists/grid.h"
#include "lists/list_window.h"
#include "lists/list_windows.h"
#include "support/test_session.h"

namespace calvex {
namespace {

// The lists as the panel drives them: "List" opens one, the sampling timer appends samples.
class RealTimeListTest : public ::testing::Test {
protected:
    RealTimeListTest() { t.session.lists = &lists; }

    // The panel's "List" command.
    TableWindow* listCommand(bool dual) {
        t.session.state.DualModel = dual;
        t.session.state.DualModelAtStart = dual;
        if (lists.window(ListKind::RealTime, dual) == nullptr) {
            lists.show(ListKind::RealTime, dual);
            t.session.ListOpen = true;
        }
        return lists.window(ListKind::RealTime, dual);
    }
    void sample(const std::string& text) {
        if (t.session.ListOpen)
            lists.appendRealTimeRow(text);
    }

    test::TestSession t;
    ListWindows lists{t.session};
};

TEST_F(RealTimeListTest, RowsAreNumberedFromOneAndHoldTheSampleAsShown) {
    TableWindow* list = listCommand(true);
    sample("14:05:32\t23.4\t25.1\t-1.7\tC");
    sample("14:05:34\t----\tOL\t-OL\tC");
    const Grid& grid = list->grid();
    ASSERT_EQ(grid.rows(), 3);
    EXPECT_EQ(grid.rowText(1), "1\t14:05:32\t23.4\t25.1\t-1.7\tC");
    EXPECT_EQ(grid.rowText(2), "2\t14:05:34\t----\tOL\t-OL\tC");
    EXPECT_EQ(grid.row(), 2);
    EXPECT_EQ(t.session.ListCount, 2);
}

TEST_F(RealTimeListTest, ListAgainOnAnOpenListKeepsItsRowsAndNumbering) {
    TableWindow* list = listCommand(false);
    sample("14:05:32\t23.4\tC");
    EXPECT_EQ(listCommand(false), list);
    sample("14:05:34\t23.5\tC");
    EXPECT_EQ(list->grid().rows(), 3);
    EXPECT_EQ(list->grid().cell(2, 0), "2");
    EXPECT_EQ(lists.show(ListKind::RealTime, false), list);  // showing a visible list changes nothing
    EXPECT_EQ(list->grid().rows(), 3);
}

TEST_F(RealTimeListTest, FromTheSixteenthRowOnEachRowScrollsTheListByOne) {
    TableWindow* list = listCommand(false);
    std::vector<int> topRows;
    for (int i = 1; i <= 18; ++i) {
        sample("14:05:32\t23.4\tC");
        topRows.push_back(list->grid().topRow());
    }
    EXPECT_EQ(topRows, (std::vector<int>{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 3, 4}));

    for (int i = 0; i < 20; ++i)
        sample("14:05:32\t23.4\tC");
    QCoreApplication::processEvents();
    auto* view = list->widget()->findChild<QTableView*>("Grid");
    EXPECT_EQ(list->grid().topRow(), 24);
    EXPECT_EQ(view->verticalScrollBar()->value(), 23);
}

TEST_F(RealTimeListTest, TheRowLimitIsAppendedAndThenTheListCloses) {
    TableWindow* list = listCommand(true);
    QPointer<QWidget> window(list->widget());
    t.session.ListCount = 58298;
    sample("14:05:32\t23.4\t25.1\t-1.7\tC");
    EXPECT_TRUE(t.session.ListOpen);
    sample("14:05:34\t23.4\t25.1\t-1.7\tC");

    EXPECT_EQ(list->grid().rowText(list->grid().rows() - 1), "58300\t14:05:34\t23.4\t25.1\t-1.7\tC");
    EXPECT_FALSE(t.session.ListOpen);
    EXPECT_EQ(t.session.ListCount, 0);
    EXPECT_EQ(lists.window(ListKind::RealTime, true), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());

    TableWindow* again = listCommand(true);
    sample("14:05:36\t23.4\t25.1\t-1.7\tC");
    EXPECT_EQ(again->grid().rows(), 2);
    EXPECT_EQ(again->grid().cell(1, 0), "1");
}

TEST_F(RealTimeListTest, AnotherInstrumentModelClosesTheListAfterItsRow) {
    TableWindow* list = listCommand(false);
    sample("14:05:32\t23.4\tC");
    t.session.state.DualModel = true;
    sample("14:05:34\t23.4\t25.1\t-1.7\tC");
    EXPECT_EQ(list->grid().rows(), 3);
    EXPECT_FALSE(t.session.ListOpen);
    EXPECT_EQ(t.session.ListCount, 0);
    EXPECT_EQ(lists.window(ListKind::RealTime, false), nullptr);
    EXPECT_EQ(lists.window(ListKind::RealTime, true), nullptr);
}

TEST_F(RealTimeListTest, ASampleWithoutAnOpenListChangesNothing) {
    t.session.ListOpen = true;  // stale: no window is open
    lists.appendRealTimeRow("14:05:32\t23.4\tC");
    EXPECT_FALSE(t.session.ListOpen);
    EXPECT_EQ(t.session.ListCount, 0);
    EXPECT_EQ(lists.window(ListKind::RealTime, false), nullptr);
}

}  // namespace
}  // namespace calvex
