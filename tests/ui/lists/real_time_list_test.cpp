#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPointer>
#include <QTableView>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "lists/grid.h"
#include "session/session.h"
#include "support/test_session.h"
#include "ui/lists/list_window.h"
#include "ui/lists/list_windows.h"

namespace calvex {
namespace {

const char* const kSingle = "14:05:32\t23.4\tC";
const char* const kDual = "14:05:32\t23.4\t25.1\t-1.7\tC";
const char* const kListFull =
    "The Real Time List is full: it holds 58300 rows and takes no more.\n"
    "Save or print them, then close the list to start a new one.";
const char* const kModelChanged = "Another instrument model is connected, so the Real Time List closes.";
const char* const kModelChangedSave =
    "Another instrument model is connected, so the Real Time List closes.\n"
    "Save its rows first?";
const char* const kListKept =
    "The rows were not saved. The Real Time List stays open with them and takes no more rows;\n"
    "save or print them, then close it.";

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A Real Time List of the single-input model, open and taking rows.
void openSingleRealTimeList(test::TestSession& rig, ListWindows& windows) {
    rig.session.lists = &windows;
    rig.session.state.DualModel = false;
    windows.show(ListKind::RealTime, false);
    rig.session.ListOpen = true;
}

// The lists as the panel drives them: "List" opens one, the sampling timer appends samples.
class RealTimeListTest : public ::testing::Test {
protected:
    RealTimeListTest() { t.session.lists = &lists; }

    // The panel's "List" command.
    ListWindow* listCommand(bool dual) {
        t.session.state.DualModel = dual;
        if (lists.window(ListKind::RealTime, dual) == nullptr) {
            lists.show(ListKind::RealTime, dual);
            t.session.ListOpen = true;
        }
        return static_cast<ListWindow*>(lists.window(ListKind::RealTime, dual));
    }
    void sample(const std::string& text) {
        if (t.session.ListOpen)
            lists.appendRealTimeRow(text);
    }
    void samples(int count) {
        for (int i = 0; i < count; ++i)
            sample(t.session.state.DualModel ? kDual : kSingle);
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

// Each list compares the model against its own copy, taken when it opened; nothing else in the
// session (the graph, the statistics, a recording) takes part.
TEST_F(RealTimeListTest, EachListTakesTheRowsOfTheModelItOpenedFor) {
    for (const bool dual : {true, false}) {
        SCOPED_TRACE(dual);
        ListWindow* list = listCommand(dual);
        samples(3);
        EXPECT_EQ(list->grid().rows(), 4);
        EXPECT_TRUE(t.session.ListOpen);
        EXPECT_TRUE(t.dialogs.questions.empty());
        EXPECT_EQ(lists.window(ListKind::RealTime, dual), list);
        lists.unload(ListKind::RealTime, dual);
    }
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

TEST_F(RealTimeListTest, TheNewestRowStaysInView) {
    for (const bool dual : {false, true}) {
        for (const int count : {16, 20, 40}) {
            SCOPED_TRACE(std::string(dual ? "List2, " : "List1, ") + std::to_string(count) + " rows");
            ListWindow* list = listCommand(dual);
            samples(count);
            ASSERT_EQ(lists.window(ListKind::RealTime, dual), list);
            QCoreApplication::processEvents();
            auto* view = list->findChild<QTableView*>("Grid");
            ASSERT_NE(view, nullptr);
            const QRect newest = view->visualRect(view->model()->index(count - 1, 0));
            EXPECT_FALSE(newest.isEmpty());
            EXPECT_TRUE(view->viewport()->rect().contains(newest))
                << "row at " << newest.top() << ".." << newest.bottom() << " of "
                << view->viewport()->height();
            // Scrolled no further than needed: the rows above the newest fill the view.
            EXPECT_EQ(list->grid().topRow(), std::max(1, count - list->rowsInView() + 1));
            lists.unload(ListKind::RealTime, dual);
        }
    }
}

TEST_F(RealTimeListTest, AUserWhoScrolledBackKeepsHisPlaceUntilHeReturns) {
    ListWindow* list = listCommand(false);
    samples(30);
    Grid& grid = list->grid();
    grid.setTopRow(3);
    samples(2);
    EXPECT_EQ(grid.topRow(), 3);
    const int fit = list->rowsInView();
    grid.setTopRow(grid.rows() - fit);  // the newest row at the bottom of the view again
    samples(1);
    EXPECT_EQ(grid.topRow(), grid.rows() - fit);
}

TEST_F(RealTimeListTest, AFullListKeepsItsRowsTakesNoMoreAndSaysSoOnce) {
    const std::string path = testing::TempDir() + "calvex-full-list.txt";
    std::remove(path.c_str());
    ListWindow* list = listCommand(true);
    t.session.ListCount = 58298;
    sample("14:05:32\t23.4\t25.1\t-1.7\tC");
    EXPECT_TRUE(t.session.ListOpen);
    sample("14:05:34\t23.4\t25.1\t-1.7\tC");

    EXPECT_EQ(list->grid().rows(), 3);
    EXPECT_EQ(list->grid().rowText(2), "58300\t14:05:34\t23.4\t25.1\t-1.7\tC");
    EXPECT_FALSE(t.session.ListOpen);
    EXPECT_EQ(t.session.ListCount, 0);
    EXPECT_EQ(lists.window(ListKind::RealTime, true), list);
    ASSERT_EQ(t.dialogs.messages.size(), 1u);
    EXPECT_EQ(t.dialogs.messages[0].text, kListFull);
    EXPECT_EQ(t.dialogs.messages[0].style, 16);

    samples(3);
    t.session.ListOpen = true;  // even a stale flag adds nothing to a full list
    lists.appendRealTimeRow(kDual);
    EXPECT_EQ(list->grid().rows(), 3);
    EXPECT_EQ(t.dialogs.messages.size(), 1u);

    t.dialogs.saveAnswers.push_back(path);
    list->Toolbar1_ButtonClick("Save");
    EXPECT_EQ(fileText(path),
              "58299\t14:05:32\t23.4\t25.1\t-1.7\tC\t\r\n58300\t14:05:34\t23.4\t25.1\t-1.7\tC\t\r\n");
    std::remove(path.c_str());

    list->close();
    ListWindow* again = listCommand(true);
    sample(kDual);
    EXPECT_EQ(again->grid().rows(), 2);
    EXPECT_EQ(again->grid().cell(1, 0), "1");
}

TEST_F(RealTimeListTest, AnotherModelEndsTheListAfterSayingWhyAndOfferingToSave) {
    const std::string path = testing::TempDir() + "calvex-model-change.txt";
    struct Case {
        const char* name;
        int rows;
        std::deque<bool> answers;
        std::deque<std::string> saveAnswers;
        bool recording;
        std::vector<std::string> questions;
        std::vector<std::string> messages;
        bool closed;
        std::string file;
    };
    const std::string saved = "1\t14:05:32\t23.4\tC\t\r\n2\t14:05:32\t23.4\tC\t\r\n";
    const std::vector<Case> cases = {
        {"no", 2, {false}, {}, false, {kModelChangedSave}, {}, true, ""},
        {"yes, saved", 2, {true}, {path}, false, {kModelChangedSave}, {}, true, saved},
        {"yes, dialog cancelled", 2, {true}, {}, false, {kModelChangedSave}, {kListKept}, false, ""},
        {"yes, while recording",
         2,
         {true},
         {path},
         true,
         {kModelChangedSave},
         {"Aready in recording mode, close it and try again !", kListKept},
         false,
         ""},
        {"no rows to save", 0, {}, {}, false, {}, {kModelChanged}, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(path.c_str());
        test::TestSession rig;
        ListWindows windows(rig.session);
        openSingleRealTimeList(rig, windows);
        for (int i = 0; i < c.rows; ++i)
            windows.appendRealTimeRow(kSingle);
        QPointer<ListWindow> list(static_cast<ListWindow*>(windows.window(ListKind::RealTime, false)));
        rig.dialogs.questionAnswers = c.answers;
        rig.dialogs.saveAnswers = c.saveAnswers;
        rig.session.state.RecordingOn = c.recording;

        rig.session.state.DualModel = true;
        windows.appendRealTimeRow(kDual);

        std::vector<std::string> questions, messages;
        for (const auto& q : rig.dialogs.questions)
            questions.push_back(q.text);
        for (const auto& m : rig.dialogs.messages)
            messages.push_back(m.text);
        EXPECT_EQ(questions, c.questions);
        EXPECT_EQ(messages, c.messages);
        EXPECT_EQ(windows.window(ListKind::RealTime, false) == nullptr, c.closed);
        EXPECT_EQ(windows.window(ListKind::RealTime, true), nullptr);
        EXPECT_FALSE(rig.session.ListOpen);
        EXPECT_EQ(rig.session.ListCount, 0);
        EXPECT_EQ(fileText(path), c.file);
        if (!c.closed) {  // the other model's row went nowhere; the list's own rows are all there
            ASSERT_FALSE(list.isNull());
            EXPECT_EQ(list->grid().rows(), c.rows + 1);
            EXPECT_FALSE(list->takingRows());
        }
    }
    std::remove(path.c_str());
}

// The model-change question does not hold the sampling: the tick that raised it returns at once,
// the list waits for the answer, and an answer that comes after the user closed the list is moot.
TEST_F(RealTimeListTest, TheModelChangeQuestionIsAnsweredAfterTheTickReturned) {
    const std::string path = testing::TempDir() + "calvex-model-change-later.txt";
    for (const bool closedFirst : {false, true}) {
        SCOPED_TRACE(closedFirst);
        std::remove(path.c_str());
        test::TestSession rig;
        ListWindows windows(rig.session);
        openSingleRealTimeList(rig, windows);
        windows.appendRealTimeRow(kSingle);
        rig.dialogs.holdQuestions = true;
        rig.dialogs.saveAnswers = {path};
        rig.session.state.DualModel = true;
        windows.appendRealTimeRow(kDual);  // returns with the question still open
        ASSERT_EQ(rig.dialogs.held.size(), 1u);
        QPointer<ListWindow> list(static_cast<ListWindow*>(windows.window(ListKind::RealTime, false)));
        ASSERT_FALSE(list.isNull());
        EXPECT_FALSE(list->takingRows());
        if (closedFirst)
            list->close();
        rig.dialogs.answerHeld(true);
        EXPECT_EQ(windows.window(ListKind::RealTime, false), nullptr);
        EXPECT_EQ(fileText(path), closedFirst ? "" : "1\t14:05:32\t23.4\tC\t\r\n");
        EXPECT_EQ(rig.dialogs.saveDialogs, closedFirst ? 0 : 1);
    }
    std::remove(path.c_str());
}

TEST_F(RealTimeListTest, ListForTheOtherModelEndsTheListThatStillTakesRows) {
    ListWindow* single = listCommand(false);
    samples(2);
    const QPointer<ListWindow> old(single);
    t.dialogs.questionAnswers = {false};
    ListWindow* dual = listCommand(true);
    ASSERT_EQ(t.dialogs.questions.size(), 1u);
    EXPECT_EQ(t.dialogs.questions[0].text, kModelChangedSave);
    EXPECT_EQ(lists.window(ListKind::RealTime, false), nullptr);
    sample(kDual);
    EXPECT_EQ(dual->grid().rows(), 2);
    EXPECT_EQ(dual->grid().rowText(1), std::string("1\t") + kDual);
}

TEST_F(RealTimeListTest, ClosingAFullListLeavesTheRunningListTakingRows) {
    ListWindow* full = listCommand(true);
    t.session.ListCount = 58299;
    sample(kDual);
    ASSERT_FALSE(t.session.ListOpen);
    ASSERT_EQ(lists.window(ListKind::RealTime, true), full);
    ListWindow* running = listCommand(false);
    EXPECT_TRUE(t.dialogs.questions.empty());  // the full list took no more rows: nothing ends
    sample(kSingle);
    full->close();
    EXPECT_TRUE(t.session.ListOpen);
    sample(kSingle);
    EXPECT_EQ(running->grid().rows(), 3);
    EXPECT_EQ(running->grid().cell(2, 0), "2");
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
