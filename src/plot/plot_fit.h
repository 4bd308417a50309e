#pragma once

#include "canvas/axis_ticks.h"
#include "canvas/chart_frame.h"
#include "session/session.h"

namespace calvex {

class Grid;

// The lowest and highest reading PlotList draws for records PlotFirstRecord to PlotLastRecord of
// a list's grid, in PlotUnit: every curve of the list (T1, T2 and T1-T2, or the one reading). The
// marks "----", "OL" and "-OL" and empty cells are no readings and are left out. Records the grid
// does not hold are skipped.
ValueSpan plotReadingSpan(const Session& session, const Grid& grid, bool dual);

// "Fit" on the stored-data plot: PlotTempMin and PlotTempMax become the fitted axis of those
// readings (fitAxisWithin, inside PlotTempLimitMin .. PlotTempLimitMax, so the Limit dialog
// accepts them as shown), plotFit is on and remembers the span before. False, and nothing
// changes, when the records hold no reading to fit to.
bool fitPlotAxis(Session& session, const Grid& grid, bool dual);

// "Fit" off: the axis gets back the span it had before the fit.
void unfitPlotAxis(Session& session);

// How the plot's temperature axis is labelled: on round ticks while it is fitted.
AxisLabels plotAxisLabels(const Session& session);

}  // namespace calvex
