#include "ui/common/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace calvex {

namespace {

void setUpMessage(QMessageBox& box, const std::string& text, int style, const std::string& details,
                  const std::string& title) {
    box.setWindowTitle(QString::fromStdString(title.empty() ? std::string(kProgramName) : title));
    box.setText(QString::fromStdString(text));
    box.setIcon((style & 0x70) == kCriticalStop ? QMessageBox::Critical : QMessageBox::Information);
    box.setStandardButtons(QMessageBox::Ok);
    // The reason stands in the box itself: a user should not have to look behind a button for why.
    if (!details.empty())
        box.setInformativeText(QString::fromStdString(details));
    box.setObjectName("MessageBox");
}

void setUpQuestion(QMessageBox& box, const std::string& text, const std::string& title, bool defaultYes) {
    box.setWindowTitle(QString::fromStdString(title.empty() ? std::string(kProgramName) : title));
    box.setText(QString::fromStdString(text));
    box.setIcon(QMessageBox::Question);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(defaultYes ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    box.setObjectName("QuestionBox");
}

}  // namespace

void QtDialogs::message(const std::string& text, int style, const std::string& details,
                        const std::string& title) {
    QMessageBox box(m_parent);
    setUpMessage(box, text, style, details, title);
    box.exec();
}

// The box is modal to its window only and open() returns at once: the caller's timer tick ends,
// and the timers go on ticking while the box stands.
void QtDialogs::notify(const std::string& text, int style, const std::string& details) {
    auto* box = new QMessageBox(m_parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    setUpMessage(*box, text, style, details, {});
    box->open();
}

bool QtDialogs::question(const std::string& text, const std::string& title, bool defaultYes) {
    QMessageBox box(m_parent);
    setUpQuestion(box, text, title, defaultYes);
    return box.exec() == QMessageBox::Yes;
}

void QtDialogs::ask(const std::string& text, std::function<void(bool yes)> answered) {
    auto* box = new QMessageBox(m_parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    setUpQuestion(*box, text, {}, true);
    QObject::connect(box, &QMessageBox::finished, box, [box, answered = std::move(answered)](int) {
        answered(box->standardButton(box->clickedButton()) == QMessageBox::Yes);
    });
    box->open();
}

std::string QtDialogs::inputBox(const std::string& prompt, const std::string& title,
                                const std::string& defaultText) {
    bool ok = false;
    const QString answer =
        QInputDialog::getText(m_parent, QString::fromStdString(title), QString::fromStdString(prompt),
                              QLineEdit::Normal, QString::fromStdString(defaultText), &ok);
    return ok ? answer.toStdString() : std::string();
}

namespace {

// The program's data files first; any other file stays one choice away.
const QStringList kDataFilters{"Data files (*.txt)", "All files (*)"};

std::string chosenFile(QFileDialog& dialog) {
    dialog.setNameFilters(kDataFilters);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0).toStdString() : std::string();
}

}  // namespace

std::string QtDialogs::openFile() {
    QFileDialog dialog(m_parent, {}, startFolder());
    dialog.setFileMode(QFileDialog::ExistingFile);
    const std::string path = chosenFile(dialog);
    rememberFolder(path);
    return path;
}

std::string QtDialogs::saveFile() {
    // The dialog asks before replacing an existing file. A name typed without an extension gets
    // ".txt" before that question, so it is asked about the file that will be written.
    QFileDialog dialog(m_parent, {}, startFolder());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("txt");
    const std::string path = chosenFile(dialog);
    rememberFolder(path);
    return path;
}

QString QtDialogs::startFolder() const {
    return m_settings != nullptr ? QString::fromStdString(m_settings->folder()) : QString();
}

void QtDialogs::rememberFolder(const std::string& chosen) {
    if (m_settings != nullptr && !chosen.empty())
        m_settings->setFolderOf(chosen);
}

PictureChoice QtDialogs::savePicture() {
    struct Filter {
        const char* text;
        const char* suffix;
        PictureFormat format;
    };
    static constexpr Filter kFilters[] = {{"PNG image (*.png)", "png", PictureFormat::Png},
                                          {"SVG image (*.svg)", "svg", PictureFormat::Svg},
                                          {"PDF document (*.pdf)", "pdf", PictureFormat::Pdf}};
    QFileDialog dialog(m_parent, "Export Picture");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    QStringList filters;
    for (const Filter& f : kFilters)
        filters << f.text;
    dialog.setNameFilters(filters);
    // A name typed without an extension gets the filter's before the dialog checks for a file to
    // replace, so the question is asked about the file that will be written.
    dialog.setDefaultSuffix(kFilters[0].suffix);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& chosen) {
        for (const Filter& f : kFilters)
            if (chosen == f.text)
                dialog.setDefaultSuffix(f.suffix);
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    PictureChoice choice;
    choice.path = dialog.selectedFiles().front().toStdString();
    for (const Filter& f : kFilters)
        if (dialog.selectedNameFilter() == f.text)
            choice.filter = f.format;
    return choice;
}

void QtDialogs::setBusy(bool busy) {
    if (busy) {
        if (m_busyDepth++ == 0)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_busyDepth > 0 && --m_busyDepth == 0) {
        QApplication::restoreOverrideCursor();
    }
}

}  // namespace calvex
