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

    // What the shared print checks use.
    void print() { plot->Toolbar1_ButtonClick("Print"); }
    QImage image() const { return plot->chartImage(); }
    QAction* preview() { return button("Preview"); }
};

TEST(PlotPrintTest, WithNoDefaultPrinterPrintAsksAndPrintsOnlyWhatTheUserChose) {
    test::checkPrintAsksWithoutADefaultPrinter<PlotRig>();
}

TEST(PlotPrintTest, ThePrintDialogPrintsToTheChosenPdfOrNothingOnCancel) {
    test::checkThePrintDialogPrintsToAFile<PlotRig>();
}

TEST(PlotPrintTest, PrintPreviewShowsThePagePrintSends) {
    test::checkPreviewShowsThePagePrintSends<PlotRig>("plot");
}

}  // namespace
}  // namespace calvex
