#include "plot/pen_grouping_canvas.h"

#include <algorithm>
#include <limits>

namespace calvex {

namespace {

// How many groups back a line may travel, and how many lines wait at most.
constexpr std::size_t kReach = 6;
constexpr std::size_t kHeldLines = 16384;

}  // namespace

PenGroupingCanvas::PenGroupingCanvas(Canvas& target) : CanvasFilter(target) {}

PenGroupingCanvas::~PenGroupingCanvas() {
    flush();
}

void PenGroupingCanvas::flush() {
    while (!m_groups.empty())
        sendOldest();
}

void PenGroupingCanvas::clear(Rgb background) {
    m_groups.clear();
    m_heldLines = 0;
    m_target.clear(background);
}

void PenGroupingCanvas::line(double x1, double y1, double x2, double y2, Rgb color, int width,
                             LineStyle style) {
    const double margin = std::max(width, 1) + 1;
    Bounds bounds{std::min(x1, x2) - margin, std::min(y1, y2) - margin, std::max(x1, x2) + margin,
                  std::max(y1, y2) + margin};
    // A line whose place is not a number could be anywhere: it stands in the way of everything.
    if (!(bounds.left <= bounds.right && bounds.top <= bounds.bottom)) {
        constexpr double kAnywhere = std::numeric_limits<double>::infinity();
        bounds = {-kAnywhere, -kAnywhere, kAnywhere, kAnywhere};
    }
    Group* home = nullptr;
    std::size_t steps = 0;
    for (auto it = m_groups.rbegin(); it != m_groups.rend() && steps < kReach; ++it, ++steps) {
        if (it->kind == Kind::Lines && it->color == color && it->width == width && it->style == style) {
            home = &*it;
            break;
        }
        if (it->kind != Kind::Lines || it->bounds.meets(bounds))
            break;
    }
    if (home == nullptr) {
        m_groups.push_back({Kind::Lines, color, width, style, bounds, {}, {}});
        home = &m_groups.back();
    } else {
        home->bounds = {std::min(home->bounds.left, bounds.left), std::min(home->bounds.top, bounds.top),
                        std::max(home->bounds.right, bounds.right),
                        std::max(home->bounds.bottom, bounds.bottom)};
    }
    home->segments.push_back({x1, y1, x2, y2});
    if (++m_heldLines > kHeldLines) {
        while (m_heldLines > kHeldLines / 2 && m_groups.size() > 1)
            sendOldest();
    }
}

void PenGroupingCanvas::fillBox(double x1, double y1, double x2, double y2, Rgb color) {
    m_groups.push_back({Kind::Box, color, 1, LineStyle::Solid, {x1, y1, x2, y2}, {}, {}});
}

void PenGroupingCanvas::drawText(double x, double y, const std::string& text, Rgb color) {
    m_groups.push_back({Kind::Text, color, 1, LineStyle::Solid, {x, y, x, y}, {}, text});
}

void PenGroupingCanvas::send(const Group& group) {
    switch (group.kind) {
        case Kind::Lines:
            for (const Segment& s : group.segments)
                m_target.line(s.x1, s.y1, s.x2, s.y2, group.color, group.width, group.style);
            break;
        case Kind::Box:
            m_target.fillBox(group.bounds.left, group.bounds.top, group.bounds.right, group.bounds.bottom,
                             group.color);
            break;
        case Kind::Text:
            m_target.drawText(group.bounds.left, group.bounds.top, group.text, group.color);
            break;
    }
}

void PenGroupingCanvas::sendOldest() {
    send(m_groups.front());
    m_heldLines -= m_groups.front().segments.size();
    m_groups.pop_front();
}

}  // namespace calvex
