#pragma once

#include <array>
#include <string>
#include <vector>

#include "canvas/canvas.h"
#include "graph/sweep_history.h"
#include "session/session.h"

namespace calvex {

// The drawing of the real-time strip chart, in client-area pixels (the toolbar lies over the
// top of the client area and is part of these coordinates). It sweeps from left to right one
// step per tick, wipes a narrow strip ahead of the cursor, and wraps at the right edge; old
// curve pieces stay until the wipe passes over them again.
class RealTimeChart {
public:
    // `unitAtStart` and `dualModelAtStart` are the instrument's unit and model as the graph run
    // started; the chart draws in that unit and ends when either changes.
    RealTimeChart(Session& session, Canvas& canvas, ReadingValue unitAtStart, bool dualModelAtStart);

    // The window's start: grid colour and the cursor one step before the left edge.
    void Form_Load();
    // The frame for the canvas's present size, and the sweep restarted at the left edge.
    void Form_Resize();
    // One tick. Returns false, drawing nothing, when the instrument's unit or model is no longer
    // the run's (GraphActive is then False and the panel closes the window).
    bool sweepStep();

    // "Fit": the scale fitted to the readings the picture shows, the picture drawn again on it,
    // and the scale following the readings from then on: a reading outside it fits it again to
    // the picture's readings and that one. False, and nothing changes, when the picture shows no
    // reading (only gaps and overloads, or nothing yet).
    bool fit();
    // "Fit" off: the scale before the fit, the picture drawn again on it.
    void unfit();
    const SweepHistory& history() const { return m_history; }

    // Height above GraphBase at which a reading is plotted; overloads and blanks are pinned just
    // outside the plotting area.
    double heightOf(const ReadingValue& reading) const;
    // The same for a value of the sweep's history (+-infinity for the overloads).
    double heightOfValue(double value) const;

    double graphLeft() const { return GraphLeft; }
    float graphBase() const { return GraphBase; }
    float graphHeight() const { return GraphHeight; }
    float graphX() const { return GraphX; }
    const std::string& timeText() const { return TimeText; }
    const ReadingValue& unitAtStart() const { return UnitAtStart; }
    bool dualModelAtStart() const { return DualModelAtStart; }

private:
    // Joins the channel's previous point to this tick's reading. An Empty reading (not measured)
    // is no point: nothing is drawn to it, nor from it to the next one.
    // Returns whether a segment joined it to the previous point.
    bool plot(const ReadingValue& reading, float& prevY, bool& hasPoint, Rgb color);
    void drawTimeMark();
    // A time under the chart at `graphX` (an offset from GraphLeft), with its dotted line.
    void drawMarkAt(float graphX, const std::string& time);
    // The short tick across the middle grid line at a half minute's place.
    void drawHalfMinuteTick(float graphX);
    Rgb gridColor() const;
    void drawGridLines();
    // The frame on the present scale, then the history's curves and marks, without moving the
    // sweep: the picture as the sweep would have drawn it on this scale.
    void drawFrame();
    void redrawOnNewScale();
    // While following, a reading of this tick outside the scale fits it again.
    void followReadings();
    // A reading as the history keeps it.
    static float historyValue(const ReadingValue& reading);

    Session& m_session;
    Canvas& m_canvas;
    const ReadingValue UnitAtStart;
    const bool DualModelAtStart;

    double GraphLeft = 60;
    float GraphBase = 0;
    float GraphHeight = 0;
    float GraphX = 0;
    float GraphPrevX = 0;
    float GraphPrevY1 = 0;
    float GraphPrevY2 = 0;
    float GraphPrevY3 = 0;
    // Whether the last step drew a point of channel 1, channel 2 and T1-T2.
    std::array<bool, 3> m_hasPoint{};
    SweepHistory m_history;
    // The dotted grid lines of the present scale (dottedGridLines).
    std::vector<double> m_dottedGrid;
    ReadingValue GraphT1;
    ReadingValue GraphT2;
    ReadingValue GraphT1T2;
    std::string TimeText;
};

}  // namespace calvex
