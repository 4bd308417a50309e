#pragma once

// The system's print dialog and print preview driven as a user would; a printed PDF's pages are
// counted by pdfPageCount (picture_checks.h).

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QImage>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <cstdio>
#include <filesystem>
#include <string>

#include "support/fake_printer.h"
#include "support/picture_checks.h"
#include "support/temp_folder.h"
#include "ui/common/qt_printer.h"

namespace calvex::test {

// The top-level window of type T that stands open, or nullptr.
template <typename T>
T* openWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<T*>(widget); window != nullptr && window->isVisible())
            return window;
    return nullptr;
}

// The user picks "Print to File (PDF)", types `pdf` and presses Print.
inline void printToFile(QPrintDialog& dialog, const std::string& pdf) {
    if (auto* printers = dialog.findChild<QComboBox*>("printers")) {
        for (int i = 0; i < printers->count(); ++i)
            if (printers->itemText(i).contains("PDF"))
                printers->setCurrentIndex(i);
    }
    if (auto* name = dialog.findChild<QLineEdit*>("filename"))
        name->setText(QString::fromStdString(pdf));
    dialog.accept();
}

// The pages the preview shows: it lays them out as it is shown. 0 when it has none.
inline int previewPageCount(QPrintPreviewDialog& dialog) {
    auto* pages = dialog.findChild<QPrintPreviewWidget*>();
    return pages != nullptr ? pages->pageCount() : 0;
}

// What every chart's Print and Print Preview do, checked on a rig made as `Rig(Printer&)` with a
// chart open on that printer, which gives print() (its Print button), image() (the picture Print
// sends), preview() (its Preview button) and `ts` (the test session).

// With no default printer Print asks where to print and prints only what the user chose.
template <typename Rig>
void checkPrintAsksWithoutADefaultPrinter() {
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
        FakePrinter printer;
        printer.installed = c.installed;
        Rig rig(printer);

        rig.print();
        EXPECT_EQ(printer.asked, c.asked);
        if (c.chooses) {
            EXPECT_TRUE(printer.choose());
        } else {
            printer.cancel();
        }
        ASSERT_EQ(printer.images.size(), c.images);
        if (c.images > 0) {
            EXPECT_EQ(printer.images[0], rig.image());
        }
        EXPECT_TRUE(rig.ts.dialogs.messages.empty());
    }
}

// The system's print dialog prints one page to the chosen PDF, or nothing on Cancel; it is
// window-modal and does not wait, so the chart's timer still ticks behind it.
template <typename Rig>
void checkThePrintDialogPrintsToAFile() {
    for (const bool accept : {true, false}) {
        SCOPED_TRACE(accept ? "printed to a file" : "cancelled");
        TempFolder folder;
        const std::string pdf = folder.file("chart.pdf");
        QtPrinter printer;
        printer.setDefaultCheck([] { return false; });
        Rig rig(printer);

        rig.print();
        auto* dialog = openWindow<QPrintDialog>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
        if (accept) {
            printToFile(*dialog, pdf);
        } else {
            dialog->reject();
        }
        QCoreApplication::sendPostedEvents();

        EXPECT_EQ(pdfPageCount(TempFolder::read(pdf)), accept ? 1 : 0);
        EXPECT_EQ(std::filesystem::exists(pdf), accept);
        EXPECT_TRUE(rig.ts.dialogs.messages.empty());
    }
}

// Print Preview (Ctrl+Shift+P) shows the page Print sends.
template <typename Rig>
void checkPreviewShowsThePagePrintSends(const char* chart) {
    TempFolder folder;
    const std::string pdf = folder.file("chart.pdf");
    QtPrinter printer(pdf);
    Rig rig(printer);
    rig.print();
    const int printed = pdfPageCount(TempFolder::read(pdf));
    EXPECT_EQ(printed, 1);

    QAction* preview = rig.preview();
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->toolTip(), "Print Preview");
    EXPECT_EQ(preview->shortcut(), QKeySequence("Ctrl+Shift+P"));
    preview->trigger();
    auto* dialog = openWindow<QPrintPreviewDialog>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(previewPageCount(*dialog), printed);
    std::printf("%s: %d page(s) printed, %d previewed\n", chart, printed, previewPageCount(*dialog));
    dialog->reject();
    EXPECT_TRUE(rig.ts.dialogs.messages.empty());
}

}  // namespace calvex::test
