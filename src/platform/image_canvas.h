#pragma once

#include <QFont>
#include <QImage>

#include "platform/canvas.h"

namespace calvex {

// A Canvas that draws with QPainter on an image its window keeps and paints.
class ImageCanvas : public Canvas {
public:
    explicit ImageCanvas(QFont font = QFont());

    // Gives the image a new size (its contents are dropped).
    void resize(int width, int height);
    const QImage& image() const { return m_image; }
    void setFont(const QFont& font) { m_font = font; }

    int width() const override { return m_image.width(); }
    int height() const override { return m_image.height(); }
    void clear(Rgb background) override;
    void line(double x1, double y1, double x2, double y2, Rgb color, int width, LineStyle style) override;
    void fillBox(double x1, double y1, double x2, double y2, Rgb color) override;
    double textWidth(const std::string& text) const override;
    double textHeight(const std::string& text) const override;
    void drawText(double x, double y, const std::string& text, Rgb color) override;

private:
    QImage m_image;
    QFont m_font;
};

}  // namespace calvex
