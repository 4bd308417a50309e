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

    // What the shared print checks use.
    void print() { graph->Toolbar1_ButtonClick("Print"); }
    QImage image() const { return graph->image(); }
    QAction* preview() { return graph->toolbarButton("Preview"); }
};

TEST(GraphPrintTest, WithNoDefaultPrinterPrintAsksAndPrintsOnlyWhatTheUserChose) {
    test::checkPrintAsksWithoutADefaultPrinter<GraphRig>();
}

TEST(GraphPrintTest, ThePrintDialogPrintsToTheChosenPdfOrNothingOnCancel) {
    test::checkThePrintDialogPrintsToAFile<GraphRig>();
}

TEST(GraphPrintTest, PrintPreviewShowsThePagePrintSends) {
    test::checkPreviewShowsThePagePrintSends<GraphRig>("graph");
}

}  // namespace
}  // namespace calvex
