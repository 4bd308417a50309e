#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "support/temp_folder.h"
#include "ui/common/qt_dialogs.h"

namespace calvex {
namespace {

// Answers the file dialog that the next call opens: checks its filters and chooses `name` in it.
void answerTheDialog(const QString& name, QStringList& filters) {
    QTimer::singleShot(0, [name, &filters] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QFileDialog*>(widget); dialog != nullptr && dialog->isVisible()) {
                filters = dialog->nameFilters();
                dialog->selectFile(name);
                static_cast<QDialog*>(dialog)->accept();  // as its button does
                return;
            }
        }
    });
}

// Open and Save offer the data files first and any file second; a name saved without an extension
// gets ".txt", one with an extension keeps it.
TEST(FileDialogs, OfferDataFilesAndSaveANameWithoutExtensionAsTxt) {
    test::TempFolder folder;
    test::TempFolder::write(folder.file("old.txt"), "1\t10:00:00\t20.0\tC\r\n");
    const QStringList expected{"Data files (*.txt)", "All files (*)"};
    struct Case {
        std::function<std::string(QtDialogs&)> call;
        const char* typed;
        std::string chosen;
    };
    const Case cases[] = {
        {[](QtDialogs& d) { return d.saveFile(); }, "lab", folder.file("lab.txt")},
        {[](QtDialogs& d) { return d.saveFile(); }, "lab.dat", folder.file("lab.dat")},
        {[](QtDialogs& d) { return d.openFile(); }, "old.txt", folder.file("old.txt")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        QtDialogs dialogs;
        QStringList filters;
        answerTheDialog(QString::fromStdString(folder.file(c.typed)), filters);
        EXPECT_EQ(c.call(dialogs), c.chosen);
        EXPECT_EQ(filters, expected);
    }
}

}  // namespace
}  // namespace calvex
