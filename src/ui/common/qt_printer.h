#pragma once

#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QRawFont>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "platform/printer.h"

namespace calvex {

// The default printer through QPrinter; text lines run on from page to page in the printer's
// default font. `outputFile` set prints to a PDF file instead (used by benchmarks and tests).
// With no default printer the system's print dialog asks where to print.
class QtPrinter : public Printer {
public:
    explicit QtPrinter(std::string outputFile = {});
    // Draws on `target` (a print preview's pages), which outlives this; the same drawing as a
    // print's, so the preview shows what Print sends.
    explicit QtPrinter(QPrinter& target);
    ~QtPrinter() override;

    // The print dialog opens over the active window, or over `parent` (the main window) when no
    // window of the program is active.
    void setParent(QWidget* parent) { m_parent = parent; }
    // Replaces the system's answer to "is a default printer installed?" (tests, and a machine
    // whose default printer should be chosen each time).
    void setDefaultCheck(std::function<bool()> check) { m_defaultCheck = std::move(check); }

    bool hasDefault() const override;
    // The dialog is window-modal and opened with open(): the sampling and every other timer go on
    // while it stands. `chosen` runs from the event loop just after the dialog has closed, so this
    // printer must outlive it (it is the program's one printer, made in main).
    void chooseOutput(std::function<void()> chosen) override;

    bool printLine(const std::string& line) override;
    bool endDocument() override;
    void abortDocument() override;
    bool printImage(const QImage& image) override;
    std::string lastError() const override { return m_lastError; }

private:
    bool begin();
    // The printer a document goes to: the target, the user's choice, or a new one on the default
    // printer (or the output file) held in `own`; nullptr, with lastError, when there is none.
    QPrinter* output(std::unique_ptr<QPrinter>& own);
    void configure(QPrinter& printer) const;
    void drawLine(const std::string& line);
    void flushPage();

    std::string m_outputFile;
    QPrinter* m_target = nullptr;
    // The printer the user chose in the dialog, while the print it was chosen for runs.
    QPrinter* m_chosen = nullptr;
    QPointer<QWidget> m_parent;
    std::function<bool()> m_defaultCheck;
    // The document's printer, and the one made for it when it is neither the target nor chosen.
    QPrinter* m_printer = nullptr;
    std::unique_ptr<QPrinter> m_ownPrinter;
    std::unique_ptr<QPainter> m_painter;
    double m_y = 0;
    double m_lineHeight = 0;
    double m_ascent = 0;
    QRawFont m_rawFont;
    std::array<bool, 256> m_known{};
    std::array<quint32, 256> m_glyphs{};
    std::array<double, 256> m_advances{};
    QList<quint32> m_pageGlyphs;
    QList<QPointF> m_pagePositions;
    std::string m_lastError;
};

}  // namespace calvex
