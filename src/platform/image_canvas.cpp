#include "platform/image_canvas.h"

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

void drawTextWith(QPainter& p, const QFont& font, double x, double y, const std::string& text, Rgb color) {
    p.setFont(font);
    p.setPen(toQColor(color));
    const QFontMetricsF metrics(font);
    p.drawText(QPointF(x, y + metrics.ascent()), QString::fromStdString(text));
}

}  // namespace

ImageCanvas::ImageCanvas(QFont font) : m_font(std::move(font)) {}

ImageCanvas::~ImageCanvas() = default;

ImageCanvas::ImageCanvas(const ImageCanvas& other)
    : Canvas(other), m_image(other.m_image), m_font(other.m_font) {}

ImageCanvas& ImageCanvas::operator=(const ImageCanvas& other) {
    if (this != &other) {
        m_batch.reset();
        m_image = other.m_image;
        m_font = other.m_font;
        if (m_batchDepth > 0)
            openBatchPainter();
    }
    return *this;
}

void ImageCanvas::beginBatch() {
    if (m_batchDepth++ == 0)
        openBatchPainter();
}

void ImageCanvas::endBatch() {
    if (m_batchDepth == 0)
        return;
    if (--m_batchDepth == 0)
        m_batch.reset();
}

void ImageCanvas::openBatchPainter() {
    m_batch = std::make_unique<QPainter>(&m_image);
    m_batch->setFont(m_font);
    m_batchPen.reset();
}

void ImageCanvas::useBatchPen(const PenKey& key) {
    if (m_batchPen == key)
        return;
    m_batchPen = key;
    auto known =
        std::find_if(m_pens.begin(), m_pens.end(), [&key](const auto& entry) { return entry.first == key; });
    if (known == m_pens.end()) {
        constexpr std::size_t kKeptPens = 8;
        if (m_pens.size() == kKeptPens)
            m_pens.erase(m_pens.begin());
        known = m_pens.emplace(m_pens.end(), key, linePen(key.color, key.width, key.style));
    }
    m_batch->setPen(known->second);
}

void ImageCanvas::resize(int width, int height) {
    m_batch.reset();
    m_image = QImage(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    m_image.fill(Qt::white);
    if (m_batchDepth > 0)
        openBatchPainter();
}

void ImageCanvas::clear(Rgb background) {
    if (m_batch) {
        m_batch.reset();
        m_image.fill(toQColor(background));
        openBatchPainter();
        return;
    }
    m_image.fill(toQColor(background));
}

// Lines go to the painter one call each: a single call with many lines can set different pixels
// where the lines meet.
void ImageCanvas::line(double x1, double y1, double x2, double y2, Rgb color, int width, LineStyle style) {
    if (m_batch) {
        useBatchPen({color, width, style});
        m_batch->drawLine(lineFor(x1, y1, x2, y2));
        return;
    }
    QPainter p(&m_image);
    p.setPen(linePen(color, width, style));
    p.drawLine(lineFor(x1, y1, x2, y2));
}

void ImageCanvas::fillBox(double x1, double y1, double x2, double y2, Rgb color) {
    if (m_batch) {
        m_batch->fillRect(boxRect(x1, y1, x2, y2), toQColor(color));
        return;
    }
    QPainter p(&m_image);
    p.fillRect(boxRect(x1, y1, x2, y2), toQColor(color));
}

double ImageCanvas::textWidth(const std::string& text) const {
    return QFontMetricsF(m_font).horizontalAdvance(QString::fromStdString(text));
}

double ImageCanvas::textHeight(const std::string& text) const {
    return text.empty() ? QFontMetricsF(m_font).height() : QFontMetricsF(m_font).height();
}

void ImageCanvas::drawText(double x, double y, const std::string& text, Rgb color) {
    if (m_batch) {
        drawTextWith(*m_batch, m_font, x, y, text, color);
        m_batchPen.reset();
        return;
    }
    QPainter p(&m_image);
    drawTextWith(p, m_font, x, y, text, color);
}

}  // namespace calvex
