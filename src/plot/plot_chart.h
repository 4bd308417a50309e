#pragma once

#include <vector>

#include "canvas/canvas.h"
#include "plot/plot_caption.h"
#include "session/session.h"

namespace calvex {

class Grid;

// The plot window never gets smaller than this outside (frame included).
inline constexpr int kPlotMinOuterWidth = 400;
inline constexpr int kPlotMinOuterHeight = 391;

// Largest multiple of 30 not above clientWidth - 60: the width of the plotting area.
float plotAreaWidth(int clientWidth);

// DataPlotLeft, DataPlotBase, DataPlotHeight, DataPlotWidth, DataPlotStep for a client area, and
// DataPlotX = -DataPlotStep. An empty range (PlotRecordCount 0) gets a step of 0.
void setPlotGeometry(Session& session, int clientWidth, int clientHeight);

// The axes, the 17 ticks, the nine scale labels, the unit letter and, for a dual list, the legend;
// then DataPlotPrevX = 0 and DataPlotX = -DataPlotStep again.
void drawPlotFrame(Session& session, Canvas& canvas, bool dual);

// A whole redraw of the chart after the size check: geometry, frame, then the records of the list
// (`grid` null when the list that opened the plot is gone). False when the records could not be
// drawn; the window hides itself then.
bool drawPlot(Session& session, Canvas& canvas, const PlotCaption& caption, int clientWidth, int clientHeight,
              Grid* grid, bool dual, const std::vector<long long>& breaks = {});

// drawPlot onto `target` the way every front end draws the plot (the window, its exported
// pictures, calvex-plot): repeated grid lines left out and lines of one pen gathered, the same
// picture in fewer calls. Everything has reached the target when it returns. `breaks` as for
// PlotList.
bool drawPlotChart(Session& session, Canvas& target, const PlotCaption& caption, int clientWidth,
                   int clientHeight, Grid* grid, bool dual, const std::vector<long long>& breaks = {});

}  // namespace calvex
