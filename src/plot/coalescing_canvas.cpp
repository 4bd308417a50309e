#include "plot/coalescing_canvas.h"

#include <bit>
#include <cstdint>

namespace calvex {

namespace {

// Calls held back at most; half of them go out when the window is full.
constexpr std::size_t kWindow = 8192;
// Hash values told apart (two places each).
constexpr std::size_t kPlaces = 1024;

std::size_t lineHash(double x1, double y1, double x2, double y2, Rgb color, int width, LineStyle style) {
    std::uint64_t h = 1469598103934665603ull;
    auto mix = [&h](std::uint64_t v) {
        h ^= v;
        h *= 1099511628211ull;
        h ^= h >> 29;
    };
    mix(std::bit_cast<std::uint64_t>(x1));
    mix(std::bit_cast<std::uint64_t>(y1));
    mix(std::bit_cast<std::uint64_t>(x2));
    mix(std::bit_cast<std::uint64_t>(y2));
    mix((std::uint64_t{color.r} << 16) | (std::uint64_t{color.g} << 8) | color.b);
    mix(static_cast<std::uint64_t>(width) * 2 + (style == LineStyle::Dotted ? 1 : 0));
    return static_cast<std::size_t>(h);
}

}  // namespace

CoalescingCanvas::CoalescingCanvas(Canvas& target) : CanvasFilter(target), m_seen(kPlaces) {
    m_ops.reserve(kWindow);
}

CoalescingCanvas::~CoalescingCanvas() {
    flush();
}

void CoalescingCanvas::flush() {
    send(m_ops.size());
}

void CoalescingCanvas::clear(Rgb background) {
    // Nothing held back would survive the clear.
    m_base += m_ops.size();
    m_ops.clear();
    m_texts.clear();
    m_target.clear(background);
}

void CoalescingCanvas::line(double x1, double y1, double x2, double y2, Rgb color, int width,
                            LineStyle style) {
    auto& places = m_seen[lineHash(x1, y1, x2, y2, color, width, style) % m_seen.size()];
    Seen* place = nullptr;
    for (Seen& seen : places) {
        if (seen.call <= m_base)
            continue;
        Op& earlier = m_ops[seen.call - 1 - m_base];
        if (earlier.live && earlier.kind == Kind::Line && earlier.x1 == x1 && earlier.y1 == y1 &&
            earlier.x2 == x2 && earlier.y2 == y2 && earlier.color == color && earlier.width == width &&
            earlier.style == style) {
            earlier.live = false;
            seen.recurring = true;
            place = &seen;
            break;
        }
    }
    if (place == nullptr) {
        // A free place, or one held by a line seen once; lines that came back keep theirs.
        for (Seen& seen : places) {
            if (seen.call <= m_base) {
                seen.recurring = false;
                place = &seen;
                break;
            }
        }
        if (place == nullptr && !places[0].recurring)
            place = &places[0];
        if (place == nullptr && !places[1].recurring)
            place = &places[1];
    }
    push({Kind::Line, x1, y1, x2, y2, color, width, style, 0, true});
    if (place != nullptr)
        place->call = m_base + m_ops.size();
}

void CoalescingCanvas::fillBox(double x1, double y1, double x2, double y2, Rgb color) {
    push({Kind::Box, x1, y1, x2, y2, color, 1, LineStyle::Solid, 0, true});
}

void CoalescingCanvas::drawText(double x, double y, const std::string& text, Rgb color) {
    m_texts.push_back(text);
    push({Kind::Text, x, y, 0, 0, color, 1, LineStyle::Solid, m_texts.size() - 1, true});
}

void CoalescingCanvas::push(const Op& op) {
    if (m_ops.size() >= kWindow)
        send(kWindow / 2);
    m_ops.push_back(op);
}

void CoalescingCanvas::send(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const Op& op = m_ops[i];
        if (!op.live)
            continue;
        switch (op.kind) {
            case Kind::Line:
                m_target.line(op.x1, op.y1, op.x2, op.y2, op.color, op.width, op.style);
                break;
            case Kind::Box:
                m_target.fillBox(op.x1, op.y1, op.x2, op.y2, op.color);
                break;
            case Kind::Text:
                m_target.drawText(op.x1, op.y1, m_texts[op.text], op.color);
                break;
        }
    }
    m_ops.erase(m_ops.begin(), m_ops.begin() + static_cast<std::ptrdiff_t>(count));
    m_base += count;
    if (m_ops.empty())
        m_texts.clear();
}

}  // namespace calvex
