#include "plot/coalescing_canvas.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>

namespace calvex {

namespace {

// Calls held back at most, a power of two; half of them go out when the window is full.
constexpr std::size_t kWindow = 8192;
static_assert((kWindow & (kWindow - 1)) == 0);
// Hash values told apart (two places each); a power of two, so a hash is placed by a mask.
constexpr std::size_t kPlaces = 1024;
static_assert((kPlaces & (kPlaces - 1)) == 0);
// Lines that float at most.
constexpr std::size_t kFloating = 64;

std::uint64_t lineHash(double x1, double y1, double x2, double y2, Rgb color, int width, LineStyle style) {
    // Each part scrambled on its own (the products run side by side), then the sum mixed once.
    const std::uint64_t pen = (std::uint64_t{color.r} << 16 | std::uint64_t{color.g} << 8 | color.b) << 8 |
                              static_cast<std::uint64_t>(width) << 1 | (style == LineStyle::Dotted ? 1 : 0);
    std::uint64_t h = std::bit_cast<std::uint64_t>(x1) * 0x9E3779B97F4A7C15ull +
                      std::bit_cast<std::uint64_t>(y1) * 0xC2B2AE3D27D4EB4Full +
                      std::bit_cast<std::uint64_t>(x2) * 0x165667B19E3779F9ull +
                      std::bit_cast<std::uint64_t>(y2) * 0xD6E8FEB86659FD93ull + pen * 0xFF51AFD7ED558CCDull;
    h ^= h >> 32;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 29;
    return h;
}

}  // namespace

CoalescingCanvas::CoalescingCanvas(Canvas& target) : HoldingCanvas(target), m_seen(kPlaces) {
    m_ops.resize(kWindow);
}

CoalescingCanvas::~CoalescingCanvas() {
    flush();
}

void CoalescingCanvas::flush() {
    send(m_count);
    sendFloatingBefore(std::numeric_limits<std::uint64_t>::max());
}

void CoalescingCanvas::clear(Rgb background) {
    // Nothing held back would survive the clear.
    m_base += m_count;
    m_head = (m_head + m_count) & (kWindow - 1);
    m_count = 0;
    m_texts.clear();
    for (Op& floating : m_floating)
        floating.live = false;
    m_target.clear(background);
}

void CoalescingCanvas::line(double x1, double y1, double x2, double y2, Rgb color, int width,
                            LineStyle style) {
    const std::uint64_t call = ++m_calls;
    // The floating lines come back in the order they came last time (the grid, record after
    // record): the one that followed the latest is tried before any look-up.
    if (m_lastFloating >= 0) {
        const int next = m_nextFloating[static_cast<std::size_t>(m_lastFloating)];
        if (next >= 0) {
            Op& floating = m_floating[static_cast<std::size_t>(next)];
            if (floating.live && floating.sameLine(x1, y1, x2, y2, color, width, style)) {
                floating.call = call;
                m_lastFloating = next;
                return;
            }
        }
    }
    const Op op{Kind::Line, x1, y1, x2, y2, color, width, style, 0, call, true};
    const std::uint64_t hash = lineHash(x1, y1, x2, y2, color, width, style);
    auto& places = m_seen[hash & (kPlaces - 1)];
    for (Seen& seen : places) {
        if (seen.hash != hash)
            continue;
        if (seen.floating >= 0) {
            Op& floating = m_floating[static_cast<std::size_t>(seen.floating)];
            if (floating.live && floating.sameLine(x1, y1, x2, y2, color, width, style)) {
                floating.call = call;
                followFloating(seen.floating);
                return;
            }
            continue;
        }
        if (seen.push <= m_base)
            continue;
        Op& earlier = waiting(seen.push - 1 - m_base);
        if (!earlier.live || !earlier.sameLine(x1, y1, x2, y2, color, width, style))
            continue;
        earlier.live = false;
        seen.recurring = true;
        // Drawn twice: it floats from now on, while there is room.
        auto free = std::find_if(m_floating.begin(), m_floating.end(), [](const Op& f) { return !f.live; });
        if (free == m_floating.end() && m_floating.size() < kFloating) {
            free = m_floating.insert(m_floating.end(), op);
            m_nextFloating.push_back(-1);
        }
        if (free != m_floating.end()) {
            *free = op;
            seen.floating = static_cast<int>(free - m_floating.begin());
            m_nextFloating[static_cast<std::size_t>(seen.floating)] = -1;
            followFloating(seen.floating);
            return;
        }
        push(op);
        seen.push = m_base + m_count;
        return;
    }
    // A free place, or one held by a line seen once; lines that came back keep theirs.
    Seen* place = nullptr;
    for (Seen& seen : places) {
        const bool waiting = seen.floating >= 0 ? m_floating[static_cast<std::size_t>(seen.floating)].live
                                                : seen.push > m_base;
        if (!waiting) {
            seen.recurring = false;
            place = &seen;
            break;
        }
    }
    if (place == nullptr && !places[0].recurring)
        place = &places[0];
    if (place == nullptr && !places[1].recurring)
        place = &places[1];
    push(op);
    if (place != nullptr) {
        place->hash = hash;
        place->push = m_base + m_count;
        place->floating = -1;
    }
}

CoalescingCanvas::Op& CoalescingCanvas::waiting(std::size_t index) {
    return m_ops[(m_head + index) & (kWindow - 1)];
}

void CoalescingCanvas::followFloating(int floating) {
    if (m_lastFloating >= 0)
        m_nextFloating[static_cast<std::size_t>(m_lastFloating)] = floating;
    m_lastFloating = floating;
}

void CoalescingCanvas::fillBox(double x1, double y1, double x2, double y2, Rgb color) {
    push({Kind::Box, x1, y1, x2, y2, color, 1, LineStyle::Solid, 0, ++m_calls, true});
}

void CoalescingCanvas::drawText(double x, double y, const std::string& text, Rgb color) {
    m_texts.push_back(text);
    push({Kind::Text, x, y, 0, 0, color, 1, LineStyle::Solid, m_texts.size() - 1, ++m_calls, true});
}

void CoalescingCanvas::push(const Op& op) {
    if (m_count == kWindow)
        send(kWindow / 2);
    waiting(m_count++) = op;
}

void CoalescingCanvas::send(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const Op& op = waiting(i);
        if (!op.live)
            continue;
        sendFloatingBefore(op.call);
        sendOp(op);
    }
    m_head = (m_head + count) & (kWindow - 1);
    m_count -= count;
    m_base += count;
    if (m_count == 0)
        m_texts.clear();
}

void CoalescingCanvas::sendOp(const Op& op) {
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

void CoalescingCanvas::sendFloatingBefore(std::uint64_t before) {
    if (before <= m_floatingFrom)
        return;
    std::array<std::size_t, kFloating> due{};
    std::size_t dueCount = 0;
    std::uint64_t from = m_calls + 1;
    for (std::size_t i = 0; i < m_floating.size(); ++i) {
        const Op& floating = m_floating[i];
        if (!floating.live)
            continue;
        if (floating.call < before)
            due[dueCount++] = i;
        else
            from = std::min(from, floating.call);
    }
    std::sort(due.begin(), due.begin() + static_cast<std::ptrdiff_t>(dueCount),
              [this](std::size_t a, std::size_t b) { return m_floating[a].call < m_floating[b].call; });
    for (std::size_t k = 0; k < dueCount; ++k) {
        Op& floating = m_floating[due[k]];
        sendOp(floating);
        floating.live = false;
    }
    m_floatingFrom = from;
}

}  // namespace calvex
