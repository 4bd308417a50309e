#include "platform/qt_printer.h"

#include <QFontMetricsF>
#include <QPrinterInfo>

namespace calvex {

QtPrinter::QtPrinter(std::string outputFile) : m_outputFile(std::move(outputFile)) {}

QtPrinter::~QtPrinter() {
    abortDocument();
}

void QtPrinter::configure(QPrinter& printer) const {
    if (!m_outputFile.empty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(m_outputFile));
    }
}

bool QtPrinter::begin() {
    if (m_painter)
        return true;
    if (m_outputFile.empty() && QPrinterInfo::defaultPrinter().isNull()) {
        m_lastError = "No default printer is installed.";
        return false;
    }
    m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    configure(*m_printer);
    m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(m_printer.get())) {
        m_lastError = "The printer could not start a document.";
        m_painter.reset();
        m_printer.reset();
        return false;
    }
    m_painter->setFont(QFont("Courier New", 10));
    m_lineHeight = QFontMetricsF(m_painter->font(), m_printer.get()).lineSpacing();
    m_y = 0;
    return true;
}

bool QtPrinter::printLine(const std::string& line) {
    if (!begin())
        return false;
    const QRectF page = m_printer->pageLayout().paintRectPixels(m_printer->resolution());
    if (m_y + m_lineHeight > page.height()) {
        if (!m_printer->newPage()) {
            m_lastError = "The printer could not start a new page.";
            return false;
        }
        m_y = 0;
    }
    m_painter->drawText(QPointF(0, m_y + QFontMetricsF(m_painter->font(), m_printer.get()).ascent()),
                        QString::fromStdString(line));
    m_y += m_lineHeight;
    return true;
}

bool QtPrinter::endDocument() {
    if (!m_painter && !begin())
        return false;
    const bool ok = m_painter->end();
    m_painter.reset();
    m_printer.reset();
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
    m_printer.reset();
}

bool QtPrinter::printImage(const QImage& image) {
    abortDocument();
    if (m_outputFile.empty() && QPrinterInfo::defaultPrinter().isNull()) {
        m_lastError = "No default printer is installed.";
        return false;
    }
    QPrinter printer(QPrinter::HighResolution);
    configure(printer);
    QPainter painter;
    if (!painter.begin(&printer)) {
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
