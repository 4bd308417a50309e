// Printing the stored-data plot with no default printer (the system's print dialog asks where to)
// and its print preview, on the real printer class writing PDF files whose pages are counted.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QToolBar>
#include <filesystem>

#include "session/session.h"
#include "support/picture_checks.h"
#include "support/plot_fakes.h"
#include "support/print_checks.h"
#include "support/temp_folder.h"
#include "support/test_session.h"
#include "ui/common/qt_printer.h"
#include "ui/plot/list_plot1.h"
#include "ui/plot/plot_windows.h"

namespace calvex {
namespace {

// The plot of a dual list of 20 records, open on `printer`.
struct PlotRig {
    explicit PlotRig(Printer& printer) : session(ts.port, ts.clock, ts.dialogs, printer) {
        session.plot = &plots;
        session.state.DualModel = true;
        for (int i = 0; i < 20; ++i)
            list.addRecord({std::to_string(50 * i), "20", std::to_string(50 * i - 20)}, "C");
        test::setWholeListRange(session, "C", 20);
        plots.show(&list);
        plot = plots.plotWindow();
    }
    ~PlotRig() {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget != list.widget())
                widget->close();
        plots.close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QAction* button(const char* key) const {
        for (QAction* action : plot->findChild<QToolBar*>("Toolbar1")->actions())
            if (action->data().toString() == key)
                return action;
        return nullptr;
    }

    test::TestSession ts;
    Session session;
    PlotWindows plots{session};
    test::FakeList list{true};
    ListPlot1* plot = nullptr;
};

TEST(PlotPrintTest, WithNoDefaultPrinterPrintAsksAndPrintsOnlyWhatTheUserChose) {
    struct Case {
        const char* name;
        bool installed;
        bool chooses;
        int asked;
        std::size_t images;
    };
    const Case cases[] = {
        {"a default printer prints at once", true, false, 0, 1},
        {"no default printer: the user picks one", false, true, 1, 1},
        {"no default printer: the user cancels", false, false, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::FakePrinter printer;
        printer.installed = c.installed;
        PlotRig rig(printer);

        rig.plot->Toolbar1_ButtonClick("Print");
        EXPECT_EQ(printer.asked, c.asked);
        if (c.chooses)
            EXPECT_TRUE(printer.choose());
        else
            printer.cancel();

        ASSERT_EQ(printer.images.size(), c.images);
        if (c.images > 0) {
            EXPECT_EQ(printer.images[0], rig.plot->chartImage());
        }
        EXPECT_TRUE(rig.ts.dialogs.messages.empty());
    }
}

TEST(PlotPrintTest, ThePrintDialogPrintsToTheChosenPdfOrNothingOnCancel) {
    for (const bool accept : {true, false}) {
        SCOPED_TRACE(accept ? "printed to a file" : "cancelled");
        test::TempFolder folder;
        const std::string pdf = folder.file("plot.pdf");
        QtPrinter printer;
        printer.setDefaultCheck([] { return false; });
        PlotRig rig(printer);

        rig.plot->Toolbar1_ButtonClick("Print");
        auto* dialog = test::openWindow<QPrintDialog>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
        if (accept)
            test::printToFile(*dialog, pdf);
        else
            dialog->reject();
        QCoreApplication::sendPostedEvents();

        EXPECT_EQ(test::pdfPageCount(test::TempFolder::read(pdf)), accept ? 1 : 0);
        EXPECT_EQ(std::filesystem::exists(pdf), accept);
        EXPECT_TRUE(rig.ts.dialogs.messages.empty());
    }
}

TEST(PlotPrintTest, PrintPreviewShowsThePagePrintSends) {
    test::TempFolder folder;
    const std::string pdf = folder.file("plot.pdf");
    QtPrinter printer(pdf);
    PlotRig rig(printer);
    rig.plot->Toolbar1_ButtonClick("Print");
    const int printed = test::pdfPageCount(test::TempFolder::read(pdf));
    EXPECT_EQ(printed, 1);

    QAction* preview = rig.button("Preview");
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->toolTip(), "Print Preview");
    EXPECT_EQ(preview->shortcut(), QKeySequence("Ctrl+Shift+P"));
    preview->trigger();
    auto* dialog = test::openWindow<QPrintPreviewDialog>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(test::previewPageCount(*dialog), printed);
    std::printf("plot: %d page(s) printed, %d previewed\n", printed, test::previewPageCount(*dialog));
    dialog->reject();
    EXPECT_TRUE(rig.ts.dialogs.messages.empty());
}

}  // namespace
}  // namespace calvex
