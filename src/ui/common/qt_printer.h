#pragma once

#include <QPainter>
#include <QPrinter>
#include <QRawFont>
#include <array>
#include <memory>

#include "platform/printer.h"

namespace calvex {

// The default printer through QPrinter; text lines run on from page to page in the printer's
// default font. `outputFile` set prints to a PDF file instead (used by benchmarks and tests).
class QtPrinter : public Printer {
public:
    explicit QtPrinter(std::string outputFile = {});
    ~QtPrinter() override;

    bool printLine(const std::string& line) override;
    bool endDocument() override;
    void abortDocument() override;
    bool printImage(const QImage& image) override;
    std::string lastError() const override { return m_lastError; }

private:
    bool begin();
    void configure(QPrinter& printer) const;
    void drawLine(const std::string& line);
    void flushPage();

    std::string m_outputFile;
    std::unique_ptr<QPrinter> m_printer;
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
