#include "ui/common/qt_printer.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QRawFont>
#include <utility>

namespace calvex {

QtPrinter::QtPrinter(std::string outputFile) : m_outputFile(std::move(outputFile)) {}

QtPrinter::QtPrinter(QPrinter& target) : m_target(&target) {}

QtPrinter::~QtPrinter() {
    abortDocument();
}

void QtPrinter::configure(QPrinter& printer) const {
    if (!m_outputFile.empty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(m_outputFile));
    }
}

bool QtPrinter::hasDefault() const {
    if (m_target != nullptr || !m_outputFile.empty())
        return true;
    return m_defaultCheck ? m_defaultCheck() : !QPrinterInfo::defaultPrinter().isNull();
}

void QtPrinter::chooseOutput(std::function<void()> chosen) {
    QWidget* parent = QApplication::activeWindow();
    if (parent == nullptr)
        parent = m_parent;
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    auto* dialog = new QPrintDialog(printer.get(), parent);
    dialog->setObjectName("PrintDialog");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // The pages are drawn one after the other from the first; a range would be ignored.
    dialog->setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog->setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog->setOption(QAbstractPrintDialog::PrintSelection, false);
    // The print runs once the dialog has closed, from the event loop: a list's print lets events
    // run between its lines, and the closed dialog, deleted among them, would still be signalling.
    QObject::connect(dialog, &QDialog::accepted, dialog, [this, printer, chosen = std::move(chosen)] {
        QMetaObject::invokeMethod(
            qApp,
            [this, printer, chosen] {
                QPrinter* const before = std::exchange(m_chosen, printer.get());
                chosen();
                m_chosen = before;
            },
            Qt::QueuedConnection);
    });
    dialog->open();
}

QPrinter* QtPrinter::output(std::unique_ptr<QPrinter>& own) {
    if (m_target != nullptr)
        return m_target;
    if (m_chosen != nullptr)
        return m_chosen;
    if (!hasDefault()) {
        m_lastError = "No default printer is installed.";
        return nullptr;
    }
    own = std::make_unique<QPrinter>(QPrinter::HighResolution);
    configure(*own);
    return own.get();
}

bool QtPrinter::begin() {
    if (m_painter)
        return true;
    m_printer = output(m_ownPrinter);
    if (m_printer == nullptr)
        return false;
    m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(m_printer)) {
        m_lastError = "The printer could not start a document.";
        m_painter.reset();
        m_printer = nullptr;
        m_ownPrinter.reset();
        return false;
    }
    m_painter->setFont(QFont("Courier New", 10));
    const QFontMetricsF metrics(m_painter->font(), m_printer);
    m_lineHeight = metrics.lineSpacing();
    m_ascent = metrics.ascent();
    m_rawFont = QRawFont::fromFont(QFont(m_painter->font(), m_printer));
    m_known.fill(false);
    m_pageGlyphs.clear();
    m_pagePositions.clear();
    m_y = 0;
    return true;
}

bool QtPrinter::printLine(const std::string& line) {
    if (!begin())
        return false;
    const QRectF page = m_printer->pageLayout().paintRectPixels(m_printer->resolution());
    if (m_y + m_lineHeight > page.height()) {
        flushPage();
        if (!m_printer->newPage()) {
            m_lastError = "The printer could not start a new page.";
            return false;
        }
        m_y = 0;
    }
    drawLine(line);
    m_y += m_lineHeight;
    return true;
}

// List lines are plain single-byte text in a fixed-pitch font, so their glyphs are looked up once
// per character and a whole page goes out as one run of glyphs: laying out tens of thousands of
// lines one by one as text would take seconds. A character the font lacks sends its line as
// ordinary text.
void QtPrinter::drawLine(const std::string& line) {
    const QPointF origin(0, m_y + m_ascent);
    if (!m_rawFont.isValid()) {
        m_painter->drawText(origin, QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
        return;
    }
    const qsizetype mark = m_pageGlyphs.size();
    double x = 0;
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (!m_known[byte]) {
            const QList<quint32> index =
                m_rawFont.glyphIndexesForString(QString(QChar(static_cast<char16_t>(byte))));
            m_known[byte] = true;
            m_glyphs[byte] = index.value(0);
            m_advances[byte] = index.isEmpty() ? -1 : m_rawFont.advancesForGlyphIndexes(index).value(0).x();
        }
        if (m_advances[byte] < 0 || (m_glyphs[byte] == 0 && byte != ' ')) {
            m_pageGlyphs.resize(mark);
            m_pagePositions.resize(mark);
            m_painter->drawText(origin,
                                QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
            return;
        }
        if (byte != ' ') {
            m_pageGlyphs.push_back(m_glyphs[byte]);
            m_pagePositions.push_back(QPointF(x, origin.y()));
        }
        x += m_advances[byte];
    }
}

void QtPrinter::flushPage() {
    if (m_pageGlyphs.isEmpty())
        return;
    QGlyphRun run;
    run.setRawFont(m_rawFont);
    run.setGlyphIndexes(m_pageGlyphs);
    run.setPositions(m_pagePositions);
    m_painter->drawGlyphRun(QPointF(0, 0), run);
    m_pageGlyphs.clear();
    m_pagePositions.clear();
}

bool QtPrinter::endDocument() {
    if (!m_painter && !begin())
        return false;
    // The page being filled holds its glyphs until it is full; the last page never is.
    flushPage();
    const bool ok = m_painter->end();
    m_painter.reset();
    m_printer = nullptr;
    m_ownPrinter.reset();
    if (!ok)
        m_lastError = "The document could not be sent to the printer.";
    return ok;
}

void QtPrinter::abortDocument() {
    if (m_printer && m_painter)
        m_printer->abort();
    if (m_painter && m_painter->isActive())
        m_painter->end();
    m_painter.reset();
    m_printer = nullptr;
    m_ownPrinter.reset();
}

bool QtPrinter::printImage(const QImage& image) {
    abortDocument();
    std::unique_ptr<QPrinter> own;
    QPrinter* printer = output(own);
    if (printer == nullptr)
        return false;
    QPainter painter;
    if (!painter.begin(printer)) {
        m_lastError = "The printer could not start a document.";
        return false;
    }
    const QRect page = painter.viewport();
    QSize size = image.size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    painter.drawImage(QRect(QPoint(0, 0), size), image);
    return painter.end();
}

}  // namespace calvex
