#pragma once

#include <QFont>
#include <QPen>
#include <optional>
#include <utility>
#include <vector>

#include "canvas/canvas.h"

class QPainter;

namespace calvex {

// A Canvas drawn with a painter that is open on any paint device: the image a window keeps, an
// SVG generator, a PDF writer. Every chart pixel the program shows, prints or writes goes through
// these calls, so a picture file holds what the window shows. Lines run through pixel centres with
// flat ends; texts are measured in the font as the screen sets it, whatever the device.
class PainterCanvas : public Canvas {
public:
    PainterCanvas(QPainter& painter, int width, int height, QFont font);

    int width() const override { return m_width; }
    int height() const override { return m_height; }
    void clear(Rgb background) override;
    void line(double x1, double y1, double x2, double y2, Rgb color, int width, LineStyle style) override;
    void fillBox(double x1, double y1, double x2, double y2, Rgb color) override;
    double textWidth(const std::string& text) const override;
    double textHeight(const std::string& text) const override;
    void drawText(double x, double y, const std::string& text, Rgb color) override;

    // Measures a text the way a PainterCanvas in `font` does, for canvases that have no painter open.
    static double textWidthIn(const QFont& font, const std::string& text);
    static double textHeightIn(const QFont& font);

private:
    struct PenKey {
        Rgb color;
        int width = 0;
        LineStyle style = LineStyle::Solid;
        friend bool operator==(const PenKey&, const PenKey&) = default;
    };
    void usePen(const PenKey& key);

    QPainter& m_painter;
    int m_width;
    int m_height;
    QFont m_font;
    // The painter's pen for lines (none after a text), and the few pens a chart switches between.
    std::optional<PenKey> m_pen;
    std::vector<std::pair<PenKey, QPen>> m_pens;
};

}  // namespace calvex
