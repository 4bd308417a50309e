#pragma once

#include <QFont>
#include <QImage>
#include <memory>

#include "canvas/canvas.h"

class QPainter;

namespace calvex {

class PainterCanvas;

// A Canvas that draws with QPainter on an image its window keeps and paints.
class ImageCanvas : public Canvas {
public:
    explicit ImageCanvas(QFont font = QFont());
    ~ImageCanvas() override;
    // A copy takes the picture and the font; a batch stays with the original.
    ImageCanvas(const ImageCanvas& other);
    ImageCanvas& operator=(const ImageCanvas& other);

    // Gives the image a new size (its contents are dropped).
    void resize(int width, int height);
    // The picture; while a batch is open it is still being drawn on.
    const QImage& image() const { return m_image; }
    const QFont& font() const { return m_font; }
    void setFont(const QFont& font) { m_font = font; }

    // Optional: between beginBatch() and endBatch() one painter stays open for all the calls,
    // instead of a painter per call, for redraws made of many small lines; its pen changes only
    // when the line's pen does. The pixels are the same either way. Batches nest; the outermost
    // endBatch() closes the painter.
    void beginBatch();
    void endBatch();

    int width() const override { return m_image.width(); }
    int height() const override { return m_image.height(); }
    void clear(Rgb background) override;
    void line(double x1, double y1, double x2, double y2, Rgb color, int width, LineStyle style) override;
    void fillBox(double x1, double y1, double x2, double y2, Rgb color) override;
    double textWidth(const std::string& text) const override;
    double textHeight(const std::string& text) const override;
    void drawText(double x, double y, const std::string& text, Rgb color) override;
    bool paintsImagePixels() const override { return true; }

private:
    void openBatchPainter();
    void closeBatchPainter();
    // Runs one drawing call on the batch's canvas, or on a painter opened for it alone.
    template <typename Draw>
    void draw(Draw&& draw);

    QImage m_image;
    QFont m_font;
    int m_batchDepth = 0;
    std::unique_ptr<QPainter> m_batch;
    std::unique_ptr<PainterCanvas> m_batchCanvas;
};

}  // namespace calvex
