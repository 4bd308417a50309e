#include "canvas/image_canvas.h"

#include <QPainter>
#include <algorithm>

#include "canvas/painter_canvas.h"

namespace calvex {

ImageCanvas::ImageCanvas(QFont font) : m_font(std::move(font)) {}

ImageCanvas::~ImageCanvas() {
    closeBatchPainter();
}

ImageCanvas::ImageCanvas(const ImageCanvas& other)
    : Canvas(other), m_image(other.m_image), m_font(other.m_font) {}

ImageCanvas& ImageCanvas::operator=(const ImageCanvas& other) {
    if (this != &other) {
        closeBatchPainter();
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
        closeBatchPainter();
}

void ImageCanvas::openBatchPainter() {
    m_batch = std::make_unique<QPainter>(&m_image);
    m_batchCanvas = std::make_unique<PainterCanvas>(*m_batch, m_image.width(), m_image.height(), m_font);
}

void ImageCanvas::closeBatchPainter() {
    m_batchCanvas.reset();
    m_batch.reset();
}

template <typename Draw>
void ImageCanvas::draw(Draw&& draw) {
    if (m_batchCanvas) {
        draw(*m_batchCanvas);
        return;
    }
    QPainter painter(&m_image);
    PainterCanvas canvas(painter, m_image.width(), m_image.height(), m_font);
    draw(canvas);
}

void ImageCanvas::resize(int width, int height) {
    closeBatchPainter();
    m_image = QImage(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    m_image.fill(Qt::white);
    if (m_batchDepth > 0)
        openBatchPainter();
}

void ImageCanvas::clear(Rgb background) {
    // Filling the image itself is quicker than painting a box over it.
    const bool batch = m_batch != nullptr;
    closeBatchPainter();
    m_image.fill(QColor(background.r, background.g, background.b));
    if (batch)
        openBatchPainter();
}

void ImageCanvas::line(double x1, double y1, double x2, double y2, Rgb color, int width, LineStyle style) {
    draw([&](Canvas& c) { c.line(x1, y1, x2, y2, color, width, style); });
}

void ImageCanvas::fillBox(double x1, double y1, double x2, double y2, Rgb color) {
    draw([&](Canvas& c) { c.fillBox(x1, y1, x2, y2, color); });
}

double ImageCanvas::textWidth(const std::string& text) const {
    return PainterCanvas::textWidthIn(m_font, text);
}

double ImageCanvas::textHeight(const std::string&) const {
    return PainterCanvas::textHeightIn(m_font);
}

void ImageCanvas::drawText(double x, double y, const std::string& text, Rgb color) {
    draw([&](Canvas& c) { c.drawText(x, y, text, color); });
}

}  // namespace calvex
