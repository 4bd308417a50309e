#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QPointer>
#include <QScrollBar>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>

#include "files/data_file_reader.h"
#include "lists/grid.h"
#include "session/session.h"
#include "support/test_session.h"
#include "ui/lists/list_fakes.h"
#include "ui/lists/list_window.h"
#include "ui/lists/list_windows.h"

namespace calvex {
namespace {

class ListWindowTest : public ::testing::Test {
protected:
    ListWindowTest() {
        t.session.panel = &panel;
        t.session.plot = &plot;
        t.session.lists = &lists;
    }

    ListWindow* showList(ListKind kind, bool dual) {
        return static_cast<ListWindow*>(lists.show(kind, dual));
    }
    static QTableView* view(ListWindow* window) { return window->findChild<QTableView*>("Grid"); }

    test::TestSession t;
    test::FakePanel panel;
    test::FakePlot plot;
    ListWindows lists{t.session};
};

TEST_F(ListWindowTest, EachListHasItsNameCaptionToolbarHeadersAndColumnWidths) {
    const std::vector<std::string> singleHeaders{"No.s", "   Time", "Value", "Unit"};
    const std::vector<std::string> dualHeaders{"No.s", "   Time", " T1", " T2", "T1-T2", "Unit"};
    const std::vector<std::string> singleSamples{" 000000 ", " 000:00:00 ", "AAAAAAA", "AAAA"};
    const std::vector<std::string> dualSamples{" 000000 ", " 000:00:00 ", "AAAAAAA",
                                               "AAAAAAA",  "AAAAAAA",     "AAAA"};
    struct Case {
        ListKind kind;
        bool dual;
        const char* name;
        const char* caption;
        std::vector<std::string> keys;
        std::vector<std::string> toolTips;
        QSize client;
        QRect grid;
    };
    const std::vector<Case> cases = {
        {ListKind::RealTime,
         false,
         "List1",
         "Real Time List",
         {"Save", "Print", "Preview"},
         {"Save As", "Print", "Print Preview"},
         {206, 302},
         {8, 32, 193, 265}},
        {ListKind::RealTime,
         true,
         "List2",
         "Real Time List",
         {"Save", "Print", "Preview"},
         {"Save As", "Print", "Print Preview"},
         {312, 302},
         {8, 32, 297, 265}},
        {ListKind::File,
         false,
         "FileList1",
         "File List",
         {"Plot", "Print", "Preview"},
         {"Plot", "Print", "Print Preview"},
         {206, 302},
         {8, 32, 193, 265}},
        {ListKind::File,
         true,
         "FileList2",
         "File List",
         {"Plot", "Print", "Preview"},
         {"Plot", "Print", "Print Preview"},
         {312, 302},
         {8, 32, 297, 265}},
        {ListKind::Data,
         false,
         "DataList1",
         "Data List",
         {"Save", "Plot", "Print", "Preview"},
         {"Save As", "Plot", "Print", "Print Preview"},
         {204, 300},
         {8, 32, 193, 265}},
        {ListKind::Data,
         true,
         "DataList2",
         "Data List",
         {"Save", "Plot", "Print", "Preview"},
         {"Save As", "Plot", "Print", "Print Preview"},
         {310, 300},
         {8, 32, 297, 265}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ListWindow* window = showList(c.kind, c.dual);
        EXPECT_EQ(window->objectName().toStdString(), c.name);
        EXPECT_EQ(window->windowTitle().toStdString(), c.caption);
        EXPECT_EQ(window->caption(), c.caption);
        EXPECT_EQ(window->dual(), c.dual);
        // The designed size, wider only by what the columns need (see EveryColumnFitsAtTheOpeningSize).
        EXPECT_EQ(window->height(), c.client.height());
        EXPECT_EQ(window->width() - view(window)->width(), c.client.width() - c.grid.width());

        auto* toolbar = window->findChild<QToolBar*>("Toolbar1");
        ASSERT_NE(toolbar, nullptr);
        std::vector<std::string> keys, toolTips;
        for (QAction* action : toolbar->actions()) {
            keys.push_back(action->objectName().toStdString());
            EXPECT_EQ(action->data().toString(), action->objectName());
            toolTips.push_back(action->toolTip().toStdString());
            EXPECT_FALSE(action->icon().isNull());
            EXPECT_EQ(toolbar->widgetForAction(action)->accessibleName(), action->toolTip());
        }
        EXPECT_EQ(keys, c.keys);
        EXPECT_EQ(toolTips, c.toolTips);

        auto* view = window->findChild<QTableView*>("Grid");
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->geometry().topLeft(), c.grid.topLeft());
        EXPECT_EQ(view->height(), c.grid.height());
        EXPECT_GE(view->width(), c.grid.width());
        const Grid& grid = window->grid();
        const auto& headers = c.dual ? dualHeaders : singleHeaders;
        const auto& samples = c.dual ? dualSamples : singleSamples;
        ASSERT_EQ(grid.cols(), static_cast<int>(headers.size()));
        EXPECT_EQ(grid.rows(), 1);
        const QFontMetrics metrics(window->font());
        for (int col = 0; col < grid.cols(); ++col) {
            EXPECT_EQ(grid.cell(0, col), headers[col]);
            const int width = metrics.horizontalAdvance(QString::fromStdString(samples[col]));
            EXPECT_EQ(grid.columnWidth(col), width);
            EXPECT_EQ(view->horizontalHeader()->sectionSize(col), width);
            EXPECT_EQ(view->model()->headerData(col, Qt::Horizontal).toString().toStdString(), headers[col]);
        }
        EXPECT_EQ(view->model()->rowCount(), 0);
    }
}

TEST_F(ListWindowTest, FormLoadPlacesTheListRightOfTheMainWindow) {
    QWidget* main = panel.widget();
    main->setGeometry(100, 60, 330, 220);
    main->show();
    ListWindow* window = showList(ListKind::File, true);
    const QRect frame = main->frameGeometry();
    EXPECT_EQ(window->frameGeometry().topLeft(), QPoint(frame.left() + frame.width(), frame.top()));
}

TEST_F(ListWindowTest, TheViewShowsTheGridsRowsCurrentCellAndTopRow) {
    ListWindow* window = showList(ListKind::Data, true);
    auto* view = window->findChild<QTableView*>("Grid");
    Grid& grid = window->grid();
    for (int i = 1; i <= 40; ++i)
        grid.addItem(std::to_string(i) + "\t14:05:32\t1.0\t2.0\t-1.0\tC");
    grid.setRow(7);
    grid.setCol(2);
    grid.setTopRow(5);
    QCoreApplication::processEvents();

    EXPECT_EQ(view->model()->rowCount(), 40);
    EXPECT_EQ(view->model()->index(6, 0).data().toString(), "7");
    EXPECT_EQ(view->currentIndex(), view->model()->index(6, 2));
    EXPECT_EQ(view->rowAt(0), 4);  // grid row 5 at the top

    // The user scrolls and clicks: the grid follows.
    view->scrollTo(view->model()->index(12, 0), QAbstractItemView::PositionAtTop);
    EXPECT_EQ(view->rowAt(0), 12);
    EXPECT_EQ(grid.topRow(), 13);
    view->setCurrentIndex(view->model()->index(9, 1));
    EXPECT_EQ(grid.row(), 10);
    EXPECT_EQ(grid.col(), 1);

    grid.setRows(1);
    EXPECT_EQ(view->model()->rowCount(), 0);
}

TEST_F(ListWindowTest, UnknownKeysAndKeysAWindowHasNoButtonForDoNothing) {
    ListWindow* fileList = showList(ListKind::File, true);
    fileList->grid().addItem("1\t14:05:32\t1.0\t2.0\t-1.0\tC");
    ListWindow* realTime = showList(ListKind::RealTime, false);
    realTime->grid().addItem("1\t14:05:32\t1.0\tC");
    for (const char* key : {"Save", "save", "Open", "", "Print "})
        fileList->Toolbar1_ButtonClick(key);
    for (const char* key : {"Plot", "Stop", "PRINT"})
        realTime->Toolbar1_ButtonClick(key);
    EXPECT_EQ(t.dialogs.saveDialogs, 0);
    EXPECT_TRUE(t.dialogs.messages.empty());
    EXPECT_TRUE(t.printer.lines.empty());
    EXPECT_TRUE(plot.events.empty());
}

TEST_F(ListWindowTest, SaveIsRefusedWhileRecording) {
    for (ListKind kind : {ListKind::RealTime, ListKind::Data}) {
        t.dialogs.messages.clear();
        t.session.state.RecordingOn = true;
        ListWindow* window = showList(kind, true);
        window->Toolbar1_ButtonClick("Save");
        ASSERT_EQ(t.dialogs.messages.size(), 1u);
        EXPECT_EQ(t.dialogs.messages[0].text, "Aready in recording mode, close it and try again !");
        EXPECT_EQ(t.dialogs.messages[0].style, 16);
        EXPECT_EQ(t.dialogs.saveDialogs, 0);
    }
}

TEST_F(ListWindowTest, SaveWritesTheChosenFileAndACancelledDialogWritesNothing) {
    const std::string path = testing::TempDir() + "calvex-list-save.txt";
    std::remove(path.c_str());
    ListWindow* window = showList(ListKind::Data, false);
    window->grid().addItem("1\t14:05:32\t23.4\tC");

    window->Toolbar1_ButtonClick("Save");  // no answer: cancelled
    EXPECT_FALSE(t.session.FileChosen);
    EXPECT_FALSE(std::filesystem::exists(path));

    t.dialogs.saveAnswers.push_back(path);
    window->Toolbar1_ButtonClick("Save");
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "1\t14:05:32\t23.4\tC\t\r\n");
    EXPECT_FALSE(t.session.FileChosen);
    EXPECT_EQ(window->caption(), "Data List");
    EXPECT_EQ(t.dialogs.busyDepth, 0);
    std::remove(path.c_str());
}

TEST_F(ListWindowTest, PlotTakesTheUnitAndLimitsFromTheFirstDataRow) {
    struct Case {
        ListKind kind;
        bool dual;
        const char* unit;
        const char* plotUnit;
        double max, min;
    };
    const Case cases[] = {
        {ListKind::File, true, "C", "C", 1760, -200}, {ListKind::File, false, "F", "F", 2000, -328},
        {ListKind::Data, true, "K", "K", 2000, 0},    {ListKind::Data, false, "X", "K", 2000, 0},
        {ListKind::File, true, "", "K", 2000, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.unit) + (c.dual ? " dual" : " single"));
        ListWindow* window = showList(c.kind, c.dual);
        window->grid().setRows(1);
        for (int i = 1; i <= 100; ++i)
            window->grid().addItem(std::to_string(i) +
                                   (c.dual ? "\t14:05:32\t1.0\t2.0\t-1.0\t" : "\t14:05:32\t1.0\t") +
                                   (i == 1 ? c.unit : "C"));
        plot.shown = true;
        plot.events.clear();

        window->Toolbar1_ButtonClick("Plot");

        EXPECT_EQ(plot.events, (std::vector<std::string>{"close", "show"}));
        EXPECT_EQ(plot.lastSource, window);
        const Session& s = t.session;
        EXPECT_EQ(s.PlotFromFile, c.kind == ListKind::File);
        EXPECT_EQ(s.PlotFromMemory, c.kind == ListKind::Data);
        EXPECT_EQ(s.PlotUnit, c.plotUnit);
        EXPECT_EQ(s.PlotTempLimitMax, c.max);
        EXPECT_EQ(s.PlotTempLimitMin, c.min);
        EXPECT_EQ(s.PlotTempMax, c.max);
        EXPECT_EQ(s.PlotTempMin, c.min);
        EXPECT_EQ(s.PlotRowCount, 100);
        EXPECT_EQ(s.PlotRecordCount, 100);
        EXPECT_EQ(s.PlotLastRecord, 100);
        EXPECT_EQ(s.PlotFirstRecord, 1);
    }
}

TEST_F(ListWindowTest, PlotOfATableWithoutDataRowsDoesNothing) {
    ListWindow* window = showList(ListKind::File, true);
    plot.shown = true;
    t.session.PlotUnit = "F";
    window->Toolbar1_ButtonClick("Plot");
    EXPECT_TRUE(plot.events.empty());
    EXPECT_EQ(t.session.PlotUnit, "F");
}

TEST_F(ListWindowTest, ToolbarCommandsHaveTheirKeys) {
    struct Case {
        ListKind kind;
        const char* keys;
        std::function<bool(test::TestSession&)> ran;
    };
    const Case cases[] = {
        {ListKind::Data, "Ctrl+S", [](test::TestSession& s) { return s.dialogs.saveDialogs == 1; }},
        {ListKind::RealTime, "Ctrl+S", [](test::TestSession& s) { return s.dialogs.saveDialogs == 1; }},
        {ListKind::File, "Ctrl+P", [](test::TestSession& s) { return s.printer.documents == 1; }},
        {ListKind::Data, "Ctrl+P", [](test::TestSession& s) { return s.printer.documents == 1; }},
    };
    for (const Case& c : cases) {
        t.dialogs.saveDialogs = 0;
        t.printer.documents = 0;
        ListWindow* window = showList(c.kind, false);
        window->grid().addItem("1\t14:05:32\t23.4\tC");
        QAction* action = nullptr;
        for (QAction* a : window->findChild<QToolBar*>("Toolbar1")->actions())
            if (a->shortcut() == QKeySequence(c.keys))
                action = a;
        ASSERT_NE(action, nullptr) << c.keys;
        action->trigger();
        EXPECT_TRUE(c.ran(t)) << c.keys;
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(ListWindowTest, PrintSendsTheRowsToThePrinterAndTheCaptionComesBack) {
    ListWindow* window = showList(ListKind::File, false);
    window->grid().addItem("1\t14:05:32\t23.4\tC");
    window->Toolbar1_ButtonClick("Print");
    EXPECT_EQ(t.printer.lines.size(), 3u);
    EXPECT_EQ(t.printer.lines[2], "1      14:05:32  23.4   C      ");
    EXPECT_EQ(t.printer.documents, 1);
    EXPECT_EQ(window->windowTitle(), "File List");
    EXPECT_TRUE(panel.pollingOn);
}

TEST_F(ListWindowTest, AListClosedWhileItPrintsEndsThePrintingCleanly) {
    ListWindow* window = showList(ListKind::RealTime, true);
    t.session.ListOpen = true;
    for (int i = 1; i <= 5; ++i)
        window->grid().addItem(std::to_string(i) + "\t14:05:32\t1.0\t2.0\t-1.0\tC");
    QPointer<ListWindow> watch(window);
    // The close arrives with the events that run between the first and the second line.
    QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);

    window->Toolbar1_ButtonClick("Print");

    EXPECT_EQ(t.printer.documents, 0);
    EXPECT_EQ(t.printer.aborted, 1);
    EXPECT_FALSE(t.session.ListOpen);
    EXPECT_EQ(lists.window(ListKind::RealTime, true), nullptr);
    EXPECT_TRUE(panel.pollingOn);
    ASSERT_EQ(t.dialogs.messages.size(), 1u);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull());
}

TEST_F(ListWindowTest, OpeningAFileReplacesTheShownFileList) {
    const std::string path = testing::TempDir() + "calvex-open run.txt";
    {
        std::ofstream out(path, std::ios::binary);
        out << "1\t14:05:32\t23.4\tC\r\n2\t14:05:34\t23.5\tC\r\n";
    }
    ListWindow* old = showList(ListKind::File, false);
    old->grid().addItem("9\t00:00:00\t1.0\tC");

    ASSERT_TRUE(OpenDataFile(t.session, path));

    auto* shown = static_cast<ListWindow*>(lists.window(ListKind::File, false));
    ASSERT_NE(shown, nullptr);
    EXPECT_NE(shown, old);
    EXPECT_TRUE(old->unloaded());
    EXPECT_EQ(shown->windowTitle(), "calvex-open run.txt");
    auto* view = shown->findChild<QTableView*>("Grid");
    ASSERT_EQ(view->model()->rowCount(), 2);
    EXPECT_EQ(view->model()->index(1, 2).data().toString(), "23.5");
    EXPECT_TRUE(shown->isVisible());
    std::remove(path.c_str());
}

// A file refused for its records leaves no rows held: the closed list is emptied before the message
// shows, not when its window is deleted later, after the message box has gone.
TEST_F(ListWindowTest, AFileRefusedForItsRecordsHoldsNoRowsWhileItsMessageShows) {
    const std::string path = testing::TempDir() + "calvex-line ends.txt";
    {
        std::ofstream out(path, std::ios::binary);
        out << std::string(5000, '\n');
    }
    auto rowsHeld = [] {
        std::vector<int> rows;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* list = qobject_cast<ListWindow*>(widget);
                list != nullptr && list->objectName() == "FileList1")
                rows.push_back(list->grid().rows());
        return rows;
    };
    std::vector<int> whileShown;
    t.dialogs.whileShown = [&] { whileShown = rowsHeld(); };

    EXPECT_FALSE(OpenDataFile(t.session, path, DataFileLimits{1u << 20, 1000}));

    ASSERT_EQ(t.dialogs.messages.size(), 1u);
    EXPECT_EQ(t.dialogs.messages[0].text,
              "The file is too large to open:\n" + path +
                  "\n\nIt holds more than 1000 records; a file list holds at most "
                  "that many.");
    EXPECT_EQ(lists.window(ListKind::File, false), nullptr);
    EXPECT_EQ(whileShown, std::vector<int>{1});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(rowsHeld().empty());
    std::remove(path.c_str());
}

// The titles a window named `name` is given, in order, whichever window of that name it is.
class TitleLog : public QObject {
public:
    explicit TitleLog(QString name) : m_name(std::move(name)) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~TitleLog() override { QCoreApplication::instance()->removeEventFilter(this); }
    std::vector<std::string> titles;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowTitleChange && watched->objectName() == m_name)
            titles.push_back(static_cast<QWidget*>(watched)->windowTitle().toStdString());
        return false;
    }

private:
    QString m_name;
};

TEST_F(ListWindowTest, OpeningAndPrintingALongFileRetitleTheWindowOnlyAsOftenAsTheClockAllows) {
    const std::string path = testing::TempDir() + "calvex-week.txt";
    {
        std::ofstream out(path, std::ios::binary);
        for (int i = 1; i <= 300; ++i)
            out << i << "\t14:05:32\t23.4\t25.1\t-1.7\tC\r\n";
    }
    TitleLog log("FileList2");

    // The clock stands still: the first count is shown, the others come within the pace.
    ASSERT_TRUE(OpenDataFile(t.session, path));
    auto* list = static_cast<ListWindow*>(lists.window(ListKind::File, true));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(log.titles, (std::vector<std::string>{"File List", "calvex-week.txt", "1 Records Completed",
                                                    "calvex-week.txt"}));
    EXPECT_EQ(list->grid().rows(), 301);
    EXPECT_EQ(list->findChild<QTableView*>("Grid")->model()->rowCount(), 300);

    log.titles.clear();
    t.clock.advanceMs(1000);
    list->Toolbar1_ButtonClick("Print");
    EXPECT_EQ(log.titles, (std::vector<std::string>{"1 record(s) completed", "calvex-week.txt"}));
    EXPECT_EQ(t.printer.lines.size(), 302u);
    EXPECT_EQ(list->windowTitle(), "calvex-week.txt");
    std::remove(path.c_str());
}

TEST_F(ListWindowTest, ClosingAWindowUnloadsItAndARealTimeListStopsReceivingRows) {
    ListWindow* list = showList(ListKind::RealTime, false);
    t.session.ListOpen = true;
    t.session.ListCount = 12;
    list->close();
    EXPECT_FALSE(t.session.ListOpen);
    EXPECT_EQ(t.session.ListCount, 0);
    EXPECT_EQ(lists.window(ListKind::RealTime, false), nullptr);

    showList(ListKind::File, true);
    t.session.ListOpen = true;
    lists.unload(ListKind::File, true);
    EXPECT_EQ(lists.window(ListKind::File, true), nullptr);
    EXPECT_TRUE(t.session.ListOpen);  // closing a file list changes no shared state
}

}  // namespace
}  // namespace calvex

namespace calvex {
namespace {

// At its opening size each list shows all its columns, also once rows fill it and the vertical
// scroll bar takes its room: no horizontal scroll bar.
TEST_F(ListWindowTest, EveryColumnFitsAtTheOpeningSize) {
    const std::pair<ListKind, bool> kinds[] = {{ListKind::RealTime, false}, {ListKind::RealTime, true},
                                               {ListKind::File, false},     {ListKind::File, true},
                                               {ListKind::Data, false},     {ListKind::Data, true}};
    for (const auto& [kind, dual] : kinds) {
        ListWindow* list = showList(kind, dual);
        ASSERT_NE(list, nullptr);
        auto* view = list->findChild<QTableView*>("Grid");
        ASSERT_NE(view, nullptr);
        for (int row = 0; row < 60; ++row)
            list->grid().addItem(dual ? "58300\t23:59:59\t-1999.9\t-1999.9\t-1999.9\tC"
                                      : "58300\t23:59:59\t-1999.9\tC");
        list->show();
        QCoreApplication::processEvents();
        int columns = view->verticalHeader()->isVisible() ? view->verticalHeader()->width() : 0;
        for (int col = 0; col < view->model()->columnCount(); ++col)
            columns += view->columnWidth(col);
        EXPECT_LE(columns, view->viewport()->width()) << list->objectName().toStdString();
        EXPECT_FALSE(view->horizontalScrollBar()->isVisible()) << list->objectName().toStdString();
        list->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

}  // namespace
}  // namespace calvex
