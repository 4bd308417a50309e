#pragma once

#include <string>

#include "app/session.h"
#include "platform/canvas.h"

namespace calvex {

// The drawing of the real-time strip chart, in client-area pixels (the toolbar lies over the
// top of the client area and is part of these coordinates). It sweeps from left to right one
// step per tick, wipes a narrow strip ahead of the cursor, and wraps at the right edge; old
// curve pieces stay until the wipe passes over them again.
class RealTimeChart {
public:
    RealTimeChart(Session& session, Canvas& canvas);

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

private:
    // Joins the channel's previous point to this tick's reading.
    void plot(const ReadingValue& reading, float& prevY, Rgb color);
    void drawTimeMark();
    Rgb gridColor() const;

    Session& m_session;
    Canvas& m_canvas;

    double GraphLeft = 60;
    float GraphBase = 0;
    float GraphHeight = 0;
    float GraphX = 0;
    float GraphPrevX = 0;
    float GraphPrevY1 = 0;
    float GraphPrevY2 = 0;
    float GraphPrevY3 = 0;
    ReadingValue GraphT1;
    ReadingValue GraphT2;
    ReadingValue GraphT1T2;
    std::string TimeText;
};

}  // namespace calvex
