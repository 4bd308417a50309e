#pragma once

#include <array>
#include <string>

#include "canvas/canvas.h"
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

    // Height above GraphBase at which a reading is plotted; overloads and blanks are pinned just
    // outside the plotting area.
    double heightOf(const ReadingValue& reading) const;

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
    void plot(const ReadingValue& reading, float& prevY, bool& hasPoint, Rgb color);
    void drawTimeMark();
    Rgb gridColor() const;

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
    ReadingValue GraphT1;
    ReadingValue GraphT2;
    ReadingValue GraphT1T2;
    std::string TimeText;
};

}  // namespace calvex
