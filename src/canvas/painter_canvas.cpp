#include "canvas/painter_canvas.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace calvex {

namespace {

QColor toQColor(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

QPen linePen(Rgb color, int width, LineStyle style) {
    QPen pen(toQColor(color));
    pen.setWidth(width);
    pen.setCapStyle(Qt::FlatCap);
    if (style == LineStyle::Dotted)
        pen.setStyle(Qt::DotLine);
    return pen;
}

// Lines run through pixel centres.
QLineF lineFor(double x1, double y1, double x2, double y2) {
    return QLineF(QPointF(std::floor(x1) + 0.5, std::floor(y1) + 0.5),
                  QPointF(std::floor(x2) + 0.5, std::floor(y2) + 0.5));
}

QRect boxRect(double x1, double y1, double x2, double y2) {
    const int left = static_cast<int>(std::floor(std::min(x1, x2)));
    const int top = static_cast<int>(std::floor(std::min(y1, y2)));
    const int right = static_cast<int>(std::floor(std::max(x1, x2)));
    const int bottom = static_cast<int>(std::floor(std::max(y1, y2)));
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

}  // namespace

PainterCanvas::PainterCanvas(QPainter& painter, int width, int height, QFont font)
    : m_painter(painter), m_width(width), m_height(height), m_font(std::move(font)) {
    m_painter.setFont(m_font);
}

void PainterCanvas::usePen(const PenKey& key) {
    if (m_pen == key)
        return;
    m_pen = key;
    auto known =
        std::find_if(m_pens.begin(), m_pens.end(), [&key](const auto& entry) { return entry.first == key; });
    if (known == m_pens.end()) {
        constexpr std::size_t kKeptPens = 8;
        if (m_pens.size() == kKeptPens)
            m_pens.erase(m_pens.begin());
        known = m_pens.emplace(m_pens.end(), key, linePen(key.color, key.width, key.style));
    }
    m_painter.setPen(known->second);
}

void PainterCanvas::clear(Rgb background) {
    m_painter.fillRect(QRect(0, 0, m_width, m_height), toQColor(background));
}

// Lines go to the painter one call each: a single call with many lines can set different pixels
// where the lines meet.
void PainterCanvas::line(double x1, double y1, double x2, double y2, Rgb color, int width, LineStyle style) {
    usePen({color, width, style});
    m_painter.drawLine(lineFor(x1, y1, x2, y2));
}

void PainterCanvas::fillBox(double x1, double y1, double x2, double y2, Rgb color) {
    m_painter.fillRect(boxRect(x1, y1, x2, y2), toQColor(color));
}

double PainterCanvas::textWidthIn(const QFont& font, const std::string& text) {
    return QFontMetricsF(font).horizontalAdvance(QString::fromStdString(text));
}

double PainterCanvas::textHeightIn(const QFont& font) {
    return QFontMetricsF(font).height();
}

double PainterCanvas::textWidth(const std::string& text) const {
    return textWidthIn(m_font, text);
}

double PainterCanvas::textHeight(const std::string&) const {
    return textHeightIn(m_font);
}

void PainterCanvas::drawText(double x, double y, const std::string& text, Rgb color) {
    m_painter.setPen(toQColor(color));
    m_pen.reset();
    m_painter.drawText(QPointF(x, y + QFontMetricsF(m_font).ascent()), QString::fromStdString(text));
}

}  // namespace calvex
