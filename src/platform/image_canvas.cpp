#include "platform/image_canvas.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace calvex {

namespace {

QColor toQColor(Rgb c) { return QColor(c.r, c.g, c.b); }

}  // namespace

ImageCanvas::ImageCanvas(QFont font) : m_font(std::move(font)) {}

void ImageCanvas::resize(int width, int height) {
    m_image = QImage(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    m_image.fill(Qt::white);
}

void ImageCanvas::clear(Rgb background) { m_image.fill(toQColor(background)); }

void ImageCanvas::line(double x1, double y1, double x2, double y2, Rgb color, int width, LineStyle style) {
    QPainter p(&m_image);
    QPen pen(toQColor(color));
    pen.setWidth(width);
    pen.setCapStyle(Qt::FlatCap);
    if (style == LineStyle::Dotted) pen.setStyle(Qt::DotLine);
    p.setPen(pen);
    p.drawLine(QPointF(std::floor(x1) + 0.5, std::floor(y1) + 0.5), QPointF(std::floor(x2) + 0.5, std::floor(y2) + 0.5));
}

void ImageCanvas::fillBox(double x1, double y1, double x2, double y2, Rgb color) {
    QPainter p(&m_image);
    const int left = static_cast<int>(std::floor(std::min(x1, x2)));
    const int top = static_cast<int>(std::floor(std::min(y1, y2)));
    const int right = static_cast<int>(std::floor(std::max(x1, x2)));
    const int bottom = static_cast<int>(std::floor(std::max(y1, y2)));
    p.fillRect(QRect(QPoint(left, top), QPoint(right, bottom)), toQColor(color));
}

double ImageCanvas::textWidth(const std::string& text) const {
    return QFontMetricsF(m_font).horizontalAdvance(QString::fromStdString(text));
}

double ImageCanvas::textHeight(const std::string& text) const {
    return text.empty() ? QFontMetricsF(m_font).height() : QFontMetricsF(m_font).height();
}

void ImageCanvas::drawText(double x, double y, const std::string& text, Rgb color) {
    QPainter p(&m_image);
    p.setFont(m_font);
    p.setPen(toQColor(color));
    const QFontMetricsF metrics(m_font);
    p.drawText(QPointF(x, y + metrics.ascent()), QString::fromStdString(text));
}

}  // namespace calvex
