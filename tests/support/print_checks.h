#pragma once

// The system's print dialog and print preview driven as a user would; a printed PDF's pages are
// counted by pdfPageCount (picture_checks.h).

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <string>

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

}  // namespace calvex::test
