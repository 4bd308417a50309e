#pragma once

#include <vector>

#include "canvas/canvas.h"
#include "plot/plot_caption.h"
#include "session/session.h"

namespace calvex {

class Grid;

// Draws records PlotFirstRecord to PlotLastRecord of a list's grid on the stored-data plot: the
// horizontal grid lines before each record, the record's curves in the plot's unit, and the time
// marks under the chart. `dual` is the kind of the list (T1, T2, T1-T2 and the unit in column 5,
// or one reading and the unit in column 3). The geometry variables, DataPlotX = -DataPlotStep and
// DataPlotPrevX = 0 are set by the caller.
//
// `breaks` holds, in rising order, the records where a curve starts anew (the first record of each
// file after the first when several files are drawn one after another).
//
// Returns false when the drawing failed (no list, or a record or column the list does not hold);
// the caption then keeps its last progress text and the caller hides the window.
bool PlotList(Session& session, Canvas& canvas, const PlotCaption& caption, Grid* grid, bool dual,
              const std::vector<long long>& breaks = {});

}  // namespace calvex
