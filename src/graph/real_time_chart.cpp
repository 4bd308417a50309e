#include "graph/real_time_chart.h"

#include "canvas/chart_frame.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "instrument/text_format.h"

namespace calvex {

namespace {

// The dotted grid lines, as fractions of the plotting height above its bottom, in the order drawn.
constexpr double kDottedGrid[] = {1.0 / 8, 7.0 / 8, 3.0 / 4, 5.0 / 8, 1.0, 3.0 / 8, 1.0 / 4};

const Rgb kBackground = paletteColor(15);

bool isMultiple(double n, double of) {
    return std::fmod(n, of) == 0.0;
}

}  // namespace

RealTimeChart::RealTimeChart(Session& session, Canvas& canvas, ReadingValue unitAtStart,
                             bool dualModelAtStart)
    : m_session(session),
      m_canvas(canvas),
      UnitAtStart(std::move(unitAtStart)),
      DualModelAtStart(dualModelAtStart) {}

Rgb RealTimeChart::gridColor() const {
    return paletteColor(static_cast<int>(m_session.GridColor));
}

void RealTimeChart::Form_Load() {
    m_session.GridColor = 7;
    GraphX = -m_session.GraphStep;
}

void RealTimeChart::Form_Resize() {
    m_canvas.clear(kBackground);
    const int clientWidth = m_canvas.width();
    const int clientHeight = m_canvas.height();
    GraphLeft = 60;
    GraphBase = static_cast<float>(clientHeight - 27);
    // Whole multiples of 30 pixels, so the half-minute marks fall on the same places every sweep.
    const int span = std::max(clientWidth - 60, 0);
    m_session.GraphWidth = static_cast<float>(span - span % 30);
    GraphHeight = static_cast<float>(clientHeight - 100);
    const double left = GraphLeft;
    const double width = m_session.GraphWidth;

    const ChartArea area{left, GraphBase, width, GraphHeight};
    drawChartAxes(m_canvas, area, m_session.GraphMin, m_session.GraphMax);
    m_canvas.fillBox(left, GraphBase, left + width, GraphBase - GraphHeight, kBackground);

    GraphPrevX = 0;
    m_hasPoint = {};
    GraphX = -m_session.GraphStep;

    drawChartCaptions(m_canvas, area, UnitAtStart.text(), m_session.state.DualModel);
}

double RealTimeChart::heightOf(const ReadingValue& reading) const {
    const double top = GraphHeight + 5.0;
    const double bottom = -3.0;
    // The markers are told apart before any number is read from them: "-OL" reads as 0, which
    // would put a negative overload at the top of a scale that lies wholly below zero.
    if (reading.isText("OL") || reading.isText("----"))
        return top;
    if (reading.isText("-OL"))
        return bottom;
    const double value = reading.number();
    if (value > m_session.GraphMax)
        return top;
    if (value < m_session.GraphMin)
        return bottom;
    const double span = m_session.GraphMax - m_session.GraphMin;
    if (span <= 0)
        return 0;
    return (value - m_session.GraphMin) / span * GraphHeight;
}

void RealTimeChart::plot(const ReadingValue& reading, float& prevY, bool& hasPoint, Rgb color) {
    if (reading.isEmpty() || reading.isText("----")) {
        // A gap in the curve, where pinning it at a made-up height would look like a measurement:
        // no reading known, or a frame that carries no value for this curve.
        hasPoint = false;
        return;
    }
    const double h = heightOf(reading);
    // No point yet, or the sweep has just wrapped: the right end is not joined to the left edge.
    if (hasPoint && GraphPrevX != 0 && GraphX != 0) {
        m_canvas.line(GraphPrevX, prevY, GraphLeft + GraphX, GraphBase - h, color, 1);
    }
    prevY = static_cast<float>(GraphBase - h);
    hasPoint = true;
}

bool RealTimeChart::sweepStep() {
    InstrumentState& s = m_session.state;
    if (DualModelAtStart != s.DualModel || !(UnitAtStart == s.Unit)) {
        s.GraphActive = false;
        return false;
    }
    const float step = m_session.GraphStep;
    GraphX += step;
    if (GraphX >= m_session.GraphWidth)
        GraphX = 0;

    const double left = GraphLeft;
    const double width = m_session.GraphWidth;
    const double x = left + GraphX;
    m_canvas.fillBox(x + 2, GraphBase + 3, x + 2 + step, GraphBase - GraphHeight - 5, kBackground);
    const Rgb grid = gridColor();
    m_canvas.line(left - 2, GraphBase - GraphHeight / 2.0, left + width + 2, GraphBase - GraphHeight / 2.0,
                  grid, 1);
    for (const double fraction : kDottedGrid) {
        const double y = GraphBase - GraphHeight * fraction;
        m_canvas.line(left, y, left + width, y, grid, 1, LineStyle::Dotted);
    }

    // The cursor has moved on whether or not the reading is known, so the sweep keeps time.
    if (UnitAtStart.isText("C")) {
        GraphT1 = measured(s, s.T1C);
        GraphT2 = measured(s, s.T2C);
        GraphT1T2 = measured(s, s.T1T2C);
    } else if (UnitAtStart.isText("F")) {
        GraphT1 = measured(s, s.T1F);
        GraphT2 = measured(s, s.T2F);
        GraphT1T2 = measured(s, s.T1T2F);
    } else if (UnitAtStart.isText("K")) {
        GraphT1 = measured(s, s.T1K);
        GraphT2 = measured(s, s.T2K);
        GraphT1T2 = measured(s, s.T1T2K);
    }
    plot(GraphT1, GraphPrevY1, m_hasPoint[0], kBlack);
    if (s.DualModel) {
        plot(GraphT2, GraphPrevY2, m_hasPoint[1], kBlue);
        plot(GraphT1T2, GraphPrevY3, m_hasPoint[2], kRed);
    }
    GraphPrevX = static_cast<float>(x);

    const double n = roundHalfEven(GraphX);
    if (isMultiple(n, 60)) {
        drawTimeMark();
    } else if (isMultiple(n, 30)) {
        m_canvas.line(x, GraphBase - GraphHeight * 3.8 / 8, x, GraphBase - GraphHeight * 4.2 / 8, grid, 1);
    }
    return true;
}

void RealTimeChart::drawTimeMark() {
    const double x = GraphLeft + GraphX;
    m_canvas.line(x, GraphBase, x, GraphBase - GraphHeight - 10, gridColor(), 1, LineStyle::Dotted);
    const LocalDateTime t = m_session.clock.now();
    TimeText = formatTimeOfDay(t.hour * 3600LL + t.minute * 60LL + t.second);
    const double w = m_canvas.textWidth(TimeText) / 2;
    const double textLeft = GraphLeft - 5 + GraphX - w;
    // The text sits 5 pixels left of the centred box and is taller than 10 pixels; the box is
    // widened to the whole text so the mark written here one sweep earlier is fully erased.
    const double bottom = GraphBase + 10 + std::max(10.0, m_canvas.textHeight(TimeText));
    m_canvas.fillBox(textLeft, GraphBase + 10, x + w, bottom, kBackground);
    m_canvas.drawText(textLeft, GraphBase + 10, TimeText, kBlack);
}

}  // namespace calvex
