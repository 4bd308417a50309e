#pragma once

#include <string>

#include "session/window_apis.h"

namespace calvex {

struct Session;
class Grid;

// The Plot button of a file or data list: records where the plot's data come from, takes the
// unit and the temperature span from the first data row's unit cell ("C", "F", anything else
// is plotted as "K") and sets the plotted range to every data row. A table without data rows
// has nothing to plot: false, and nothing changes.
bool setPlotVariables(Session& session, Grid& grid, ListKind kind, int unitColumn);

// The plot's unit and its temperature span, as the Plot button sets them for a first row whose
// unit cell reads `unit`: "C" -200 to 1760, "F" -328 to 2000, anything else "K" 0 to 2000. The
// axis spans the whole of it, not fitted.
void setPlotUnit(Session& session, const std::string& unit);

}  // namespace calvex
