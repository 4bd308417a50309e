// Printing a list with no default printer (the system's print dialog asks where to) and its print
// preview, on the real printer class writing PDF files whose pages are counted.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QToolBar>
#include <filesystem>

#include "session/session.h"
#include "support/picture_checks.h"
#include "support/print_checks.h"
#include "support/temp_folder.h"
#include "support/test_session.h"
#include "ui/common/qt_printer.h"
#include "ui/lists/list_fakes.h"
#include "ui/lists/list_window.h"
#include "ui/lists/list_windows.h"

namespace calvex {
namespace {

// A file list of `rows` dual records on the session given.
class ListPrintTest : public ::testing::Test {
protected:
    ~ListPrintTest() override {
        for (QWidget* widget : QApplication::topLevelWidgets())
            widget->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    ListWindow* listOf(Session& session, ListWindows& lists, int rows) {
        session.panel = &panel;
        session.plot = &plot;
        session.lists = &lists;
        auto* window = static_cast<ListWindow*>(lists.show(ListKind::File, true));
        for (int i = 1; i <= rows; ++i)
            window->grid().addItem(std::to_string(i) + "\t14:05:32\t23.4\t-OL\t----\tC");
        return window;
    }

    static QAction* actionWithKey(ListWindow& window, const char* keys) {
        for (QAction* action : window.findChild<QToolBar*>("Toolbar1")->actions())
            if (action->shortcut() == QKeySequence(keys))
                return action;
        return nullptr;
    }

    test::TestSession t;
    test::FakePanel panel;
    test::FakePlot plot;
    test::TempFolder folder;
};

TEST_F(ListPrintTest, WithNoDefaultPrinterPrintAsksAndPrintsOnlyWhatTheUserChose) {
    struct Case {
        const char* name;
        bool installed;
        bool chooses;
        int asked;
        std::size_t lines;
    };
    const Case cases[] = {
        {"a default printer prints at once", true, false, 0, 5},
        {"no default printer: the user picks one", false, true, 1, 5},
        {"no default printer: the user cancels", false, false, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TestSession s;
        s.printer.installed = c.installed;
        ListWindows lists{s.session};
        ListWindow* window = listOf(s.session, lists, 3);

        window->Toolbar1_ButtonClick("Print");
        EXPECT_EQ(s.printer.asked, c.asked);
        EXPECT_TRUE(s.printer.lines.empty() || c.installed);
        if (c.chooses)
            EXPECT_TRUE(s.printer.choose());
        else
            s.printer.cancel();

        EXPECT_EQ(s.printer.lines.size(), c.lines);
        EXPECT_EQ(s.printer.documents, c.lines > 0 ? 1 : 0);
        EXPECT_TRUE(s.dialogs.messages.empty());
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(ListPrintTest, ThePrintDialogPrintsToTheChosenPdfOrNothingOnCancel) {
    struct Case {
        const char* name;
        int rows;
        bool accept;
        int pages;
    };
    // 120 rows and the two heading lines fill two pages of the default paper at 10 points.
    const Case cases[] = {
        {"three rows on one page", 3, true, 1},
        {"120 rows on two pages", 120, true, 2},
        {"cancel prints nothing", 120, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QtPrinter printer;
        printer.setDefaultCheck([] { return false; });
        Session session(t.port, t.clock, t.dialogs, printer);
        ListWindows lists{session};
        ListWindow* window = listOf(session, lists, c.rows);
        const std::string pdf = folder.file(std::string(c.name) + ".pdf");

        window->Toolbar1_ButtonClick("Print");
        auto* dialog = test::openWindow<QPrintDialog>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_FALSE(std::filesystem::exists(pdf));
        if (c.accept)
            test::printToFile(*dialog, pdf);
        else
            dialog->reject();
        // The print runs from the event loop once the dialog has gone.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        EXPECT_EQ(test::openWindow<QPrintDialog>(), nullptr);
        EXPECT_EQ(std::filesystem::exists(pdf), c.accept);
        EXPECT_EQ(test::pdfPageCount(test::TempFolder::read(pdf)), c.pages);
        EXPECT_TRUE(t.dialogs.messages.empty());
        EXPECT_EQ(window->caption(), "File List");
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(ListPrintTest, PrintPreviewShowsThePagesPrintSends) {
    for (const int rows : {3, 120, 400}) {
        SCOPED_TRACE(rows);
        const std::string pdf = folder.file("list" + std::to_string(rows) + ".pdf");
        QtPrinter printer(pdf);
        Session session(t.port, t.clock, t.dialogs, printer);
        ListWindows lists{session};
        ListWindow* window = listOf(session, lists, rows);
        window->Toolbar1_ButtonClick("Print");
        const int printed = test::pdfPageCount(test::TempFolder::read(pdf));
        ASSERT_GT(printed, 0);

        QAction* preview = actionWithKey(*window, "Ctrl+Shift+P");
        ASSERT_NE(preview, nullptr);
        EXPECT_EQ(preview->toolTip(), "Print Preview");
        preview->trigger();
        auto* dialog = test::openWindow<QPrintPreviewDialog>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
        EXPECT_EQ(test::previewPageCount(*dialog), printed);
        std::printf("list of %d rows: %d page(s) printed, %d previewed\n", rows, printed,
                    test::previewPageCount(*dialog));
        // Closing the preview prints nothing more.
        dialog->reject();
        EXPECT_TRUE(t.dialogs.messages.empty());
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

}  // namespace
}  // namespace calvex
