#pragma once

#include <vector>

#include "canvas/canvas.h"

namespace calvex {

// A pixel rectangle: left and top included, right and bottom excluded.
struct PixelBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const PixelBox&, const PixelBox&) = default;
};

// Passes every drawing call on to another canvas and notes the pixels it may have changed, so a
// window repaints only those after a sweep step instead of the whole chart.
class DamageCanvas : public CanvasFilter {
public:
    explicit DamageCanvas(Canvas& target) : CanvasFilter(target) {}

    // The boxes touched since the last call, clipped to the canvas; after a clear, the whole
    // canvas alone.
    std::vector<PixelBox> takeDamage();

    void clear(Rgb background) override;
    void line(double x1, double y1, double x2, double y2, Rgb color, int width, LineStyle style) override;
    void fillBox(double x1, double y1, double x2, double y2, Rgb color) override;
    void drawText(double x, double y, const std::string& text, Rgb color) override;

private:
    // Notes the box around two corners, `margin` pixels wider on every side.
    void touch(double x1, double y1, double x2, double y2, int margin);

    std::vector<PixelBox> m_damage;
    // A clear since the last takeDamage(): the whole canvas is in m_damage.
    bool m_whole = false;
};

}  // namespace calvex
