#pragma once

#include "app/window_apis.h"

namespace calvex {

struct Session;
class Grid;

// The Plot button of a file or data list: records where the plot's data come from, takes the
// unit and the temperature span from the first data row's unit cell ("C", "F", anything else
// is plotted as "K") and sets the plotted range to every data row. A table without data rows
// has nothing to plot: false, and nothing changes.
bool setPlotVariables(Session& session, Grid& grid, ListKind kind, int unitColumn);

}  // namespace calvex
