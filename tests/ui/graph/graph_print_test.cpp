// Printing the real-time graph with no default printer (the system's print dialog asks where to)
// and its print preview, on the real printer class writing PDF files whose pages are counted.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <filesystem>

#include "session/session.h"
#include "support/fake_panel.h"
#include "support/picture_checks.h"
#include "support/print_checks.h"
#include "support/temp_folder.h"
#include "support/test_session.h"
#include "ui/common/qt_printer.h"
#include "ui/graph/graph_windows.h"
#include "ui/graph/real_time23.h"

namespace calvex {
namespace {

// The graph open on `printer`, after a few sweeps' steps.
struct GraphRig {
    explicit GraphRig(Printer& printer) : session(ts.port, ts.clock, ts.dialogs, printer) {
        session.graph = &windows;
        session.panel = &panel;
        session.state.Unit = "C";
        session.state.ReadingKnown = true;
        windows.openGraph();
        graph = windows.graph();
        for (int i = 0; i < 40; ++i) {
            session.state.T1C = 100.0 + 5 * i;
            graph->Timer1_Timer();
            ts.clock.advanceMs(150);
        }
    }
    ~GraphRig() {
        for (QWidget* widget : QApplication::topLevelWidgets())
            widget->close();
        windows.close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    test::TestSession ts;
    Session session;
    test::FakePanel panel;
    GraphWindows windows{session};
    RealTime23* graph = nullptr;
};

TEST(GraphPrintTest, WithNoDefaultPrinterPrintAsksAndPrintsOnlyWhatTheUserChose) {
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
        GraphRig rig(printer);

        rig.graph->Toolbar1_ButtonClick("Print");
        EXPECT_EQ(printer.asked, c.asked);
        if (c.chooses)
            EXPECT_TRUE(printer.choose());
        else
            printer.cancel();

        ASSERT_EQ(printer.images.size(), c.images);
        if (c.images > 0) {
            EXPECT_EQ(printer.images[0], rig.graph->image());
        }
        EXPECT_TRUE(rig.ts.dialogs.messages.empty());
    }
}

TEST(GraphPrintTest, ThePrintDialogPrintsToTheChosenPdfOrNothingOnCancel) {
    for (const bool accept : {true, false}) {
        SCOPED_TRACE(accept ? "printed to a file" : "cancelled");
        test::TempFolder folder;
        const std::string pdf = folder.file("graph.pdf");
        QtPrinter printer;
        printer.setDefaultCheck([] { return false; });
        GraphRig rig(printer);

        rig.graph->Toolbar1_ButtonClick("Print");
        auto* dialog = test::openWindow<QPrintDialog>();
        ASSERT_NE(dialog, nullptr);
        // Window-modal and not waiting: the sweep's timer still ticks behind it.
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

TEST(GraphPrintTest, PrintPreviewShowsThePagePrintSends) {
    test::TempFolder folder;
    const std::string pdf = folder.file("graph.pdf");
    QtPrinter printer(pdf);
    GraphRig rig(printer);
    rig.graph->Toolbar1_ButtonClick("Print");
    const int printed = test::pdfPageCount(test::TempFolder::read(pdf));
    EXPECT_EQ(printed, 1);

    QAction* preview = rig.graph->toolbarButton("Preview");
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->toolTip(), "Print Preview");
    EXPECT_EQ(preview->shortcut(), QKeySequence("Ctrl+Shift+P"));
    preview->trigger();
    auto* dialog = test::openWindow<QPrintPreviewDialog>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(test::previewPageCount(*dialog), printed);
    std::printf("graph: %d page(s) printed, %d previewed\n", printed, test::previewPageCount(*dialog));
    dialog->reject();
    EXPECT_TRUE(rig.ts.dialogs.messages.empty());
}

}  // namespace
}  // namespace calvex
