#include "ui/common/print_preview.h"

#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <memory>

#include "ui/common/qt_printer.h"

namespace calvex {

QPrintPreviewDialog* openPrintPreview(QWidget* parent, std::function<void(Printer&)> print) {
    // The pages are laid out at the resolution Print uses, so lines break onto pages alike.
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    auto* dialog = new QPrintPreviewDialog(printer.get(), parent);
    dialog->setObjectName("PrintPreview");
    dialog->setWindowTitle("Print Preview");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // The connection holds the printer, so it lasts as long as the dialog that draws on it.
    QObject::connect(dialog, &QPrintPreviewDialog::paintRequested, dialog,
                     [printer, print = std::move(print)](QPrinter* pages) {
                         QtPrinter target(*pages);
                         print(target);
                     });
    dialog->open();
    return dialog;
}

void printWhenOutputChosen(Printer& printer, QObject* window, std::function<void()> print) {
    if (printer.hasDefault()) {
        print();
        return;
    }
    printer.chooseOutput([guard = QPointer<QObject>(window), print = std::move(print)] {
        if (guard != nullptr)
            print();
    });
}

}  // namespace calvex
