#include "graph/drawing_journal.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace calvex {

namespace {

long pixel(double v) {
    constexpr double kBound = 1e9;
    return static_cast<long>(std::floor(std::clamp(v, -kBound, kBound)));
}

}  // namespace

DrawingJournal::LineKey DrawingJournal::keyOf(const Call& c) {
    return {pixel(c.x1), pixel(c.y1), pixel(c.x2), pixel(c.y2), c.color, c.width, c.style};
}

std::size_t DrawingJournal::LineKeyHash::operator()(const LineKey& k) const {
    std::size_t h = static_cast<std::size_t>(k.x1);
    for (const long v : {k.y1, k.x2, k.y2})
        h = h * 1000003u ^ static_cast<std::size_t>(v);
    h = h * 1000003u ^
        (static_cast<std::size_t>(k.color.r) << 16 | static_cast<std::size_t>(k.color.g) << 8 | k.color.b);
    return h * 31u + static_cast<std::size_t>(k.width) * 2u + (k.style == LineStyle::Dotted ? 1u : 0u);
}

void DrawingJournal::clear(Rgb background) {
    m_target.clear(background);
    m_calls.clear();
    m_lines.clear();
    m_live = 0;
    m_overflowed = false;
    keep({Kind::Clear, 0, 0, 0, 0, background, 0, LineStyle::Solid, {}, {}, true});
}

void DrawingJournal::line(double x1, double y1, double x2, double y2, Rgb color, int width, LineStyle style) {
    m_target.line(x1, y1, x2, y2, color, width, style);
    const long px1 = pixel(x1), py1 = pixel(y1), px2 = pixel(x2), py2 = pixel(y2);
    Call call{Kind::Line, x1, y1, x2, y2, color, width, style, {}, {}, true};
    if (px1 == px2 && py1 == py2) {
        // A line within one pixel is painted as a dot, one pixel right of and below its own.
        call.inView = {px1, py1, px1 + 1, py1 + 1};
    } else {
        // A wide line may reach a pixel to either side of the one its centre runs through.
        const long margin = width / 2;
        call.inView = {std::min(px1, px2) - margin, std::min(py1, py2) - margin, std::max(px1, px2) + margin,
                       std::max(py1, py2) + margin};
    }
    // Lines run through the centres of the pixels their ends fall in, so two lines with their ends
    // in the same pixels paint the same pixels.
    const LineKey key{px1, py1, px2, py2, color, width, style};
    if (const auto earlier = m_lines.find(key); earlier != m_lines.end())
        drop(earlier->second);
    keep(std::move(call));
    if (!m_overflowed)
        m_lines[key] = m_calls.size() - 1;
    compact();
}

void DrawingJournal::fillBox(double x1, double y1, double x2, double y2, Rgb color) {
    m_target.fillBox(x1, y1, x2, y2, color);
    const Area box{std::min(pixel(x1), pixel(x2)), std::min(pixel(y1), pixel(y2)),
                   std::max(pixel(x1), pixel(x2)), std::max(pixel(y1), pixel(y2))};
    for (std::size_t i = 0; i < m_calls.size(); ++i) {
        Call& c = m_calls[i];
        if (!c.live || c.kind == Kind::Clear)
            continue;
        Area& v = c.inView;
        if (box.right < v.left || v.right < box.left || box.bottom < v.top || v.bottom < box.top)
            continue;
        if (c.kind == Kind::Text) {
            drop(i);
            continue;
        }
        const bool acrossAll = box.left <= v.left && box.right >= v.right;
        const bool downAll = box.top <= v.top && box.bottom >= v.bottom;
        if (acrossAll && downAll) {
            drop(i);
        } else if (downAll && box.left <= v.left) {
            v.left = box.right + 1;
        } else if (downAll && box.right >= v.right) {
            v.right = box.left - 1;
        } else if (acrossAll && box.top <= v.top) {
            v.top = box.bottom + 1;
        } else if (acrossAll && box.bottom >= v.bottom) {
            v.bottom = box.top - 1;
        }
    }
    Call call{Kind::Box, x1, y1, x2, y2, color, 0, LineStyle::Solid, {}, box, true};
    keep(std::move(call));
    compact();
}

void DrawingJournal::drawText(double x, double y, const std::string& text, Rgb color) {
    m_target.drawText(x, y, text, color);
    const Area area{pixel(x), pixel(y), pixel(x + m_target.textWidth(text)),
                    pixel(y + m_target.textHeight(text))};
    keep({Kind::Text, x, y, 0, 0, color, 0, LineStyle::Solid, text, area, true});
}

void DrawingJournal::keep(Call call) {
    if (m_overflowed)
        return;
    if (m_live >= kMaxCalls) {
        m_overflowed = true;
        m_calls.clear();
        m_lines.clear();
        m_live = 0;
        return;
    }
    m_calls.push_back(std::move(call));
    ++m_live;
}

void DrawingJournal::drop(std::size_t index) {
    Call& c = m_calls[index];
    if (!c.live)
        return;
    c.live = false;
    c.text.clear();
    if (c.kind == Kind::Line)
        m_lines.erase(keyOf(c));
    --m_live;
}

void DrawingJournal::compact() {
    if (m_calls.size() < 64 || m_live >= m_calls.size() / 2)
        return;
    std::erase_if(m_calls, [](const Call& c) { return !c.live; });
    m_lines.clear();
    for (std::size_t i = 0; i < m_calls.size(); ++i) {
        const Call& c = m_calls[i];
        if (c.kind == Kind::Line)
            m_lines[keyOf(c)] = i;
    }
}

bool DrawingJournal::replay(Canvas& canvas) const {
    if (m_overflowed)
        return false;
    for (const Call& c : m_calls) {
        if (!c.live)
            continue;
        switch (c.kind) {
            case Kind::Clear:
                canvas.clear(c.color);
                break;
            case Kind::Line:
                canvas.line(c.x1, c.y1, c.x2, c.y2, c.color, c.width, c.style);
                break;
            case Kind::Box:
                canvas.fillBox(c.x1, c.y1, c.x2, c.y2, c.color);
                break;
            case Kind::Text:
                canvas.drawText(c.x1, c.y1, c.text, c.color);
                break;
        }
    }
    return true;
}

}  // namespace calvex
