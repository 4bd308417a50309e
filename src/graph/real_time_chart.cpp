#include "graph/real_time_chart.h"

#include "canvas/chart_frame.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "graph/graph_fit.h"

#include "instrument/text_format.h"

namespace calvex {

namespace {

const Rgb kBackground = paletteColor(15);

bool isMultiple(double n, double of) {
    return std::fmod(n, of) == 0.0;
}

constexpr std::array<Rgb, SweepHistory::kCurves> kCurveColors{kBlack, kBlue, kRed};

// The samples one sweep across `width` pixels at `step` a tick draws, and one more: the picture
// shows that many. Bounded beyond the smallest step the range dialog gives (864000 counts).
std::size_t sweepSamples(double width, double step) {
    constexpr double kMostSamples = 1'000'000;
    if (!(step > 0) || !(width > 0))
        return 1;
    return static_cast<std::size_t>(std::min(std::ceil(width / step) + 1, kMostSamples));
}

}  // namespace

RealTimeChart::RealTimeChart(Session& session, Canvas& canvas, ReadingValue unitAtStart,
                             bool dualModelAtStart)
    : m_session(session),
      m_canvas(canvas),
      UnitAtStart(std::move(unitAtStart)),
      DualModelAtStart(dualModelAtStart),
      m_dottedGrid(dottedGridLines(0, 0, AxisLabels::Eighths)) {}

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
    drawFrame();

    GraphPrevX = 0;
    m_hasPoint = {};
    GraphX = -m_session.GraphStep;

    m_history.reset(sweepSamples(m_session.GraphWidth, m_session.GraphStep));
}

bool RealTimeChart::fit() {
    if (!fitGraphAxis(m_session, m_history.readings()))
        return false;
    redrawOnNewScale();
    return true;
}

void RealTimeChart::unfit() {
    if (!m_session.graphFit.on)
        return;
    unfitGraphAxis(m_session);
    redrawOnNewScale();
}

float RealTimeChart::historyValue(const ReadingValue& reading) {
    if (reading.isEmpty() || reading.isText("----"))
        return std::numeric_limits<float>::quiet_NaN();
    if (reading.isText("OL"))
        return std::numeric_limits<float>::infinity();
    if (reading.isText("-OL"))
        return -std::numeric_limits<float>::infinity();
    return static_cast<float>(reading.number());
}

void RealTimeChart::followReadings() {
    ValueSpan readings = m_history.readings();
    bool outside = false;
    const ReadingValue* taken[] = {&GraphT1, &GraphT2, &GraphT1T2};
    const int curves = m_session.state.DualModel ? SweepHistory::kCurves : 1;
    for (int c = 0; c < curves; ++c) {
        float value = historyValue(*taken[c]);
        if (!std::isfinite(value))
            continue;
        // No scale goes beyond the unit's span: a reading past it counts as at its end.
        value =
            static_cast<float>(std::clamp<double>(value, m_session.GraphLimitMin, m_session.GraphLimitMax));
        readings.add(value);
        outside = outside || value > m_session.GraphMax || value < m_session.GraphMin;
    }
    if (!outside)
        return;
    const double min = m_session.GraphMin;
    const double max = m_session.GraphMax;
    // A scale held at the unit's limits may not fit a reading beyond them: nothing to draw again.
    if (!fitGraphAxis(m_session, readings) || (m_session.GraphMin == min && m_session.GraphMax == max))
        return;
    redrawOnNewScale();
}

// The axes on the session's scale, their labels and grid, the emptied plotting area, the captions.
void RealTimeChart::drawFrame() {
    const ChartArea area{GraphLeft, GraphBase, m_session.GraphWidth, GraphHeight};
    drawChartAxes(m_canvas, area, m_session.GraphMin, m_session.GraphMax, graphAxisLabels(m_session));
    m_dottedGrid = dottedGridLines(m_session.GraphMin, m_session.GraphMax, graphAxisLabels(m_session));
    m_canvas.fillBox(area.left, GraphBase, area.left + area.width, GraphBase - GraphHeight, kBackground);
    drawChartCaptions(m_canvas, area, UnitAtStart.text(), m_session.state.DualModel);
}

void RealTimeChart::redrawOnNewScale() {
    m_canvas.clear(kBackground);
    drawFrame();
    drawGridLines();

    // Segments of a curve that begin and end in one pixel column are drawn as one line down that
    // column over all their heights, the pixels they set together: a sweep of many samples to the
    // pixel (Counts above the width) is drawn again in a few calls a column, not one a sample.
    struct ColumnRun {
        bool open = false;
        double column = 0;
        double x = 0;
        double low = 0;
        double high = 0;
    };
    std::array<ColumnRun, SweepHistory::kCurves> runs{};
    const auto flush = [this](ColumnRun& run, Rgb color) {
        if (run.open)
            m_canvas.line(run.x, run.low, run.x, run.high, color, 1);
        run.open = false;
    };
    for (std::size_t i = 1; i < m_history.size(); ++i) {
        const SweepHistory::Sample& from = m_history.at(i - 1);
        const SweepHistory::Sample& to = m_history.at(i);
        for (int c = 0; c < SweepHistory::kCurves; ++c) {
            ColumnRun& run = runs[static_cast<std::size_t>(c)];
            if (!to.isJoined(c) || std::isnan(from.values[c]) || std::isnan(to.values[c])) {
                flush(run, kCurveColors[c]);
                continue;
            }
            const double y1 = GraphBase - heightOfValue(from.values[c]);
            const double y2 = GraphBase - heightOfValue(to.values[c]);
            const double column = std::floor(from.x);
            if (column != std::floor(to.x)) {
                flush(run, kCurveColors[c]);
                m_canvas.line(from.x, y1, to.x, y2, kCurveColors[c], 1);
            } else if (run.open && run.column == column) {
                run.low = std::min({run.low, y1, y2});
                run.high = std::max({run.high, y1, y2});
            } else {
                flush(run, kCurveColors[c]);
                run = {true, column, from.x, std::min(y1, y2), std::max(y1, y2)};
            }
        }
    }
    for (int c = 0; c < SweepHistory::kCurves; ++c)
        flush(runs[static_cast<std::size_t>(c)], kCurveColors[c]);
    for (const auto& [pixel, mark] : m_history.marks()) {
        if (mark.time.empty())
            drawHalfMinuteTick(mark.x);
        else
            drawMarkAt(mark.x, mark.time);
    }
    // The next tick joins its points to the newest ones, where they now stand.
    if (m_history.size() > 0) {
        const SweepHistory::Sample& newest = m_history.at(m_history.size() - 1);
        float* previous[] = {&GraphPrevY1, &GraphPrevY2, &GraphPrevY3};
        for (int c = 0; c < SweepHistory::kCurves; ++c) {
            if (!std::isnan(newest.values[c]))
                *previous[c] = static_cast<float>(GraphBase - heightOfValue(newest.values[c]));
        }
    }
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
    return heightOfValue(reading.number());
}

double RealTimeChart::heightOfValue(double value) const {
    // An overload kept as an infinity lands beyond either end like any value outside the scale.
    if (value > m_session.GraphMax)
        return GraphHeight + 5.0;
    if (value < m_session.GraphMin)
        return -3.0;
    const double span = m_session.GraphMax - m_session.GraphMin;
    if (span <= 0)
        return 0;
    return (value - m_session.GraphMin) / span * GraphHeight;
}

bool RealTimeChart::plot(const ReadingValue& reading, float& prevY, bool& hasPoint, Rgb color) {
    if (reading.isEmpty() || reading.isText("----")) {
        // A gap in the curve, where pinning it at a made-up height would look like a measurement:
        // no reading known, or a frame that carries no value for this curve.
        hasPoint = false;
        return false;
    }
    const double h = heightOf(reading);
    // No point yet, or the sweep has just wrapped: the right end is not joined to the left edge.
    const bool joined = hasPoint && GraphPrevX != 0 && GraphX != 0;
    if (joined)
        m_canvas.line(GraphPrevX, prevY, GraphLeft + GraphX, GraphBase - h, color, 1);
    prevY = static_cast<float>(GraphBase - h);
    hasPoint = true;
    return joined;
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

    const double x = GraphLeft + GraphX;

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
    if (m_session.graphFit.on)
        followReadings();

    m_canvas.fillBox(x + 2, GraphBase + 3, x + 2 + step, GraphBase - GraphHeight - 5, kBackground);
    drawGridLines();

    SweepHistory::Sample sample;
    sample.x = static_cast<float>(x);
    sample.values.fill(std::numeric_limits<float>::quiet_NaN());
    sample.values[0] = historyValue(GraphT1);
    sample.joined = plot(GraphT1, GraphPrevY1, m_hasPoint[0], kBlack) ? 1 : 0;
    if (s.DualModel) {
        sample.values[1] = historyValue(GraphT2);
        sample.values[2] = historyValue(GraphT1T2);
        if (plot(GraphT2, GraphPrevY2, m_hasPoint[1], kBlue))
            sample.joined |= 2;
        if (plot(GraphT1T2, GraphPrevY3, m_hasPoint[2], kRed))
            sample.joined |= 4;
    }
    m_history.add(sample);
    GraphPrevX = static_cast<float>(x);

    const double n = roundHalfEven(GraphX);
    if (isMultiple(n, 60)) {
        drawTimeMark();
        m_history.addMark(static_cast<long>(n), {GraphX, TimeText});
    } else if (isMultiple(n, 30)) {
        drawHalfMinuteTick(GraphX);
        m_history.addMark(static_cast<long>(n), {GraphX, {}});
    }
    return true;
}

void RealTimeChart::drawGridLines() {
    const double left = GraphLeft;
    const double width = m_session.GraphWidth;
    const Rgb grid = gridColor();
    m_canvas.line(left - 2, GraphBase - GraphHeight / 2.0, left + width + 2, GraphBase - GraphHeight / 2.0,
                  grid, 1);
    for (const double fraction : m_dottedGrid) {
        const double y = GraphBase - GraphHeight * fraction;
        m_canvas.line(left, y, left + width, y, grid, 1, LineStyle::Dotted);
    }
}

void RealTimeChart::drawHalfMinuteTick(float graphX) {
    const double x = GraphLeft + graphX;
    m_canvas.line(x, GraphBase - GraphHeight * 3.8 / 8, x, GraphBase - GraphHeight * 4.2 / 8, gridColor(), 1);
}

void RealTimeChart::drawTimeMark() {
    const LocalDateTime t = m_session.clock.now();
    TimeText = formatTimeOfDay(t.hour * 3600LL + t.minute * 60LL + t.second);
    drawMarkAt(GraphX, TimeText);
}

void RealTimeChart::drawMarkAt(float graphX, const std::string& time) {
    const double x = GraphLeft + graphX;
    m_canvas.line(x, GraphBase, x, GraphBase - GraphHeight - 10, gridColor(), 1, LineStyle::Dotted);
    const double w = m_canvas.textWidth(time) / 2;
    const double textLeft = GraphLeft - 5 + graphX - w;
    // The text sits 5 pixels left of the centred box and is taller than 10 pixels; the box is
    // widened to the whole text so the mark written here one sweep earlier is fully erased.
    const double bottom = GraphBase + 10 + std::max(10.0, m_canvas.textHeight(time));
    m_canvas.fillBox(textLeft, GraphBase + 10, x + w, bottom, kBackground);
    m_canvas.drawText(textLeft, GraphBase + 10, time, kBlack);
}

}  // namespace calvex
