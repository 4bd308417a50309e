#include "plot/vertical_run_canvas.h"

#include <algorithm>
#include <cmath>

namespace calvex {

namespace {

// More pens than the plot draws with; past that the oldest chain goes out.
constexpr std::size_t kMaxWaiting = 8;

}  // namespace

void VerticalRunCanvas::send(std::size_t index) {
    const Run run = m_runs[index];
    m_runs.erase(m_runs.begin() + static_cast<std::ptrdiff_t>(index));
    // A line of no length with flat ends shows nothing on a vector page (it would only make the
    // page switch pens for nothing).
    if (run.low == run.high)
        return;
    m_target.line(run.column, run.low, run.column, run.high, run.color, run.width, LineStyle::Solid);
}

void VerticalRunCanvas::flush() {
    while (!m_runs.empty())
        send(0);
}

void VerticalRunCanvas::sendTouching(double left, double top, double right, double bottom,
                                     const Run* except) {
    for (std::size_t i = 0; i < m_runs.size();) {
        const Run& r = m_runs[i];
        const double reach = r.width + 1.0;
        const bool touches = r.column - reach <= right && left <= r.column + 1 + reach &&
                             r.low - reach <= bottom && top <= r.high + 1 + reach;
        if (touches && &r != except) {
            send(i);
        } else {
            ++i;
        }
    }
}

void VerticalRunCanvas::line(double x1, double y1, double x2, double y2, Rgb color, int width,
                             LineStyle style) {
    const double column = std::floor(x1);
    const double from = std::floor(y1);
    const double to = std::floor(y2);
    const double margin = width + 1.0;
    const double left = std::min(x1, x2) - margin, right = std::max(x1, x2) + margin;
    const double top = std::min(y1, y2) - margin, bottom = std::max(y1, y2) + margin;
    if (style != LineStyle::Solid || column != std::floor(x2) || !std::isfinite(column) ||
        !std::isfinite(from) || !std::isfinite(to)) {
        sendTouching(left, top, right, bottom);
        m_target.line(x1, y1, x2, y2, color, width, style);
        return;
    }
    auto own = std::find_if(m_runs.begin(), m_runs.end(),
                            [&](const Run& r) { return r.color == color && r.width == width; });
    if (own != m_runs.end() && !(own->column == column && own->end == from)) {
        send(static_cast<std::size_t>(own - m_runs.begin()));
        own = m_runs.end();
    }
    sendTouching(left, top, right, bottom, own != m_runs.end() ? &*own : nullptr);
    own = std::find_if(m_runs.begin(), m_runs.end(),
                       [&](const Run& r) { return r.color == color && r.width == width; });
    if (own != m_runs.end()) {
        own->low = std::min({own->low, from, to});
        own->high = std::max({own->high, from, to});
        own->end = to;
        return;
    }
    if (m_runs.size() == kMaxWaiting)
        send(0);
    m_runs.push_back(Run{column, color, width, std::min(from, to), std::max(from, to), to});
}

}  // namespace calvex
