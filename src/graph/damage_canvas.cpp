#include "graph/damage_canvas.h"

#include <algorithm>
#include <cmath>

namespace calvex {

namespace {

// Coordinates far outside any screen (or not numbers at all) are held to a range that an int
// keeps, so a wild reading can never overflow the box arithmetic.
int toPixel(double value) {
    if (!std::isfinite(value))
        return 0;
    return static_cast<int>(std::clamp(std::floor(value), -1.0e6, 1.0e6));
}

}  // namespace

void DamageCanvas::touch(double x1, double y1, double x2, double y2, int margin) {
    // Everything is to be repainted already: a picture drawn again after a clear adds nothing.
    if (m_whole)
        return;
    PixelBox box{toPixel(std::min(x1, x2)) - margin, toPixel(std::min(y1, y2)) - margin,
                 toPixel(std::max(x1, x2)) + margin + 1, toPixel(std::max(y1, y2)) + margin + 1};
    box.left = std::max(box.left, 0);
    box.top = std::max(box.top, 0);
    box.right = std::min(box.right, width());
    box.bottom = std::min(box.bottom, height());
    if (box.left < box.right && box.top < box.bottom)
        m_damage.push_back(box);
}

std::vector<PixelBox> DamageCanvas::takeDamage() {
    std::vector<PixelBox> damage;
    damage.swap(m_damage);
    m_whole = false;
    return damage;
}

void DamageCanvas::clear(Rgb background) {
    m_target.clear(background);
    m_damage.clear();
    touch(0, 0, width(), height(), 0);
    m_whole = true;
}

void DamageCanvas::line(double x1, double y1, double x2, double y2, Rgb color, int width, LineStyle style) {
    m_target.line(x1, y1, x2, y2, color, width, style);
    touch(x1, y1, x2, y2, std::max(width, 1));
}

void DamageCanvas::fillBox(double x1, double y1, double x2, double y2, Rgb color) {
    m_target.fillBox(x1, y1, x2, y2, color);
    touch(x1, y1, x2, y2, 0);
}

void DamageCanvas::drawText(double x, double y, const std::string& text, Rgb color) {
    m_target.drawText(x, y, text, color);
    touch(x, y, x + m_target.textWidth(text), y + m_target.textHeight(text), 2);
}

}  // namespace calvex
