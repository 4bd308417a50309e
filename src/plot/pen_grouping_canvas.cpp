#include "plot/pen_grouping_canvas.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace calvex {

namespace {

// How many groups back a line may travel, and how many calls wait at most.
constexpr std::size_t kReach = 6;
constexpr std::size_t kHeldCalls = 16384;
// Lines are composed only this near the image, where the image's rule has been checked.
constexpr double kComposedReach = 1 << 20;

// std::floor, for a number no further from 0 than kComposedReach.
int floorNear(double value) {
    const int whole = static_cast<int>(value);
    return whole > value ? whole - 1 : whole;
}

std::uint32_t packed(Rgb color) {
    return 1u << 24 | std::uint32_t{color.r} << 16 | std::uint32_t{color.g} << 8 | color.b;
}

Rgb unpacked(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value)};
}

}  // namespace

PenGroupingCanvas::PenGroupingCanvas(Canvas& target)
    : HoldingCanvas(target), m_composing(target.paintsImagePixels()) {}

PenGroupingCanvas::~PenGroupingCanvas() {
    flush();
}

void PenGroupingCanvas::flush() {
    sendColumns();
    while (!m_groups.empty())
        sendOldest();
}

void PenGroupingCanvas::clear(Rgb background) {
    for (Column& c : m_columns) {
        std::fill(c.rows.begin(), c.rows.end(), 0);
        c.used = false;
        c.top = 0;
        c.bottom = -1;
    }
    m_groups.clear();
    m_held = 0;
    m_target.clear(background);
}

void PenGroupingCanvas::line(double x1, double y1, double x2, double y2, Rgb color, int width,
                             LineStyle style) {
    if (compose(x1, y1, x2, y2, color, width, style))
        return;
    sendColumns();
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
        add({Kind::Lines, color, width, style, bounds, {{x1, y1, x2, y2}}, {}});
        return;
    }
    home->bounds = {std::min(home->bounds.left, bounds.left), std::min(home->bounds.top, bounds.top),
                    std::max(home->bounds.right, bounds.right), std::max(home->bounds.bottom, bounds.bottom)};
    home->segments.push_back({x1, y1, x2, y2});
    ++m_held;
    if (m_held > kHeldCalls) {
        while (m_held > kHeldCalls / 2 && m_groups.size() > 1)
            sendOldest();
    }
}

void PenGroupingCanvas::fillBox(double x1, double y1, double x2, double y2, Rgb color) {
    sendColumns();
    add({Kind::Box, color, 1, LineStyle::Solid, {x1, y1, x2, y2}, {}, {}});
}

void PenGroupingCanvas::drawText(double x, double y, const std::string& text, Rgb color) {
    sendColumns();
    add({Kind::Text, color, 1, LineStyle::Solid, {x, y, x, y}, {}, text});
}

void PenGroupingCanvas::add(Group group) {
    m_held += group.kind == Kind::Lines ? group.segments.size() : 1;
    m_groups.push_back(std::move(group));
    if (m_held > kHeldCalls) {
        while (m_held > kHeldCalls / 2 && m_groups.size() > 1)
            sendOldest();
    }
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
    const Group& oldest = m_groups.front();
    send(oldest);
    m_held -= oldest.kind == Kind::Lines ? oldest.segments.size() : 1;
    m_groups.pop_front();
}

bool PenGroupingCanvas::compose(double x1, double y1, double x2, double y2, Rgb color, int width,
                                LineStyle style) {
    if (!m_composing || width != 1 || style != LineStyle::Solid)
        return false;
    if (!(std::abs(x1) <= kComposedReach) || !(std::abs(x2) <= kComposedReach) ||
        !(std::abs(y1) <= kComposedReach) || !(std::abs(y2) <= kComposedReach))
        return false;
    const int x = floorNear(x1);
    if (x != floorNear(x2))
        return false;
    if (m_imageWidth != m_target.width() || m_imageHeight != m_target.height()) {
        sendColumns();
        m_imageWidth = m_target.width();
        m_imageHeight = m_target.height();
        for (Column& c : m_columns)
            c.rows.assign(static_cast<std::size_t>(m_imageHeight), 0);
    }
    const int a = floorNear(y1);
    const int b = floorNear(y2);
    int target = x;
    int top = std::min(a, b) + 1;
    int bottom = std::max(a, b);
    if (a == b) {
        // A line of no length: nothing unless its point lies in the image, then one pixel beside it.
        if (x < 0 || x >= m_imageWidth || a < 0 || a >= m_imageHeight)
            return true;
        target = x + 1;
        top = bottom = a + 1;
    }
    top = std::max(top, 0);
    bottom = std::min(bottom, m_imageHeight - 1);
    if (target < 0 || target >= m_imageWidth || top > bottom)
        return true;
    Column& c = column(target);
    const std::uint32_t value = packed(color);
    std::fill(c.rows.begin() + top, c.rows.begin() + bottom + 1, value);
    if (c.top > c.bottom) {
        c.top = top;
        c.bottom = bottom;
    } else {
        c.top = std::min(c.top, top);
        c.bottom = std::max(c.bottom, bottom);
    }
    return true;
}

PenGroupingCanvas::Column& PenGroupingCanvas::column(int x) {
    for (Column& c : m_columns)
        if (c.used && c.x == x)
            return c;
    // Columns share no pixel, so one may go out before another that holds earlier lines.
    Column* free = nullptr;
    for (Column& c : m_columns)
        if (!c.used)
            free = &c;
    if (free == nullptr) {
        free = m_columns[0].x < m_columns[1].x ? &m_columns[0] : &m_columns[1];
        sendColumn(*free);
    }
    free->used = true;
    free->x = x;
    return *free;
}

void PenGroupingCanvas::sendColumn(Column& c) {
    for (int y = c.top; y <= c.bottom;) {
        const std::uint32_t value = c.rows[static_cast<std::size_t>(y)];
        int end = y;
        while (end + 1 <= c.bottom && c.rows[static_cast<std::size_t>(end) + 1] == value)
            ++end;
        if (value != 0)
            add({Kind::Box,
                 unpacked(value),
                 1,
                 LineStyle::Solid,
                 {double(c.x), double(y), double(c.x), double(end)},
                 {},
                 {}});
        y = end + 1;
    }
    if (c.top <= c.bottom)
        std::fill(c.rows.begin() + c.top, c.rows.begin() + c.bottom + 1, 0);
    c.used = false;
    c.top = 0;
    c.bottom = -1;
}

void PenGroupingCanvas::sendColumns() {
    // In the order of the columns, which makes no difference to the picture but keeps it readable.
    if (m_columns[0].used && m_columns[1].used && m_columns[1].x < m_columns[0].x)
        sendColumn(m_columns[1]);
    for (Column& c : m_columns)
        if (c.used)
            sendColumn(c);
}

}  // namespace calvex
