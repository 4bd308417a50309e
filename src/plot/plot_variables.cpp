#include "plot/plot_variables.h"

#include "lists/grid.h"
#include "session/session.h"

namespace calvex {

bool setPlotVariables(Session& session, Grid& grid, ListKind kind, int unitColumn) {
    if (grid.rows() < 2)
        return false;
    session.PlotFromMemory = kind == ListKind::Data;
    session.PlotFromFile = !session.PlotFromMemory;

    grid.setRow(1);
    grid.setCol(unitColumn);
    setPlotUnit(session, grid.text());
    session.PlotRowCount = static_cast<float>(grid.rows() - 1);
    session.PlotFirstRecord = 1;
    session.PlotRecordCount = session.PlotRowCount;
    session.PlotLastRecord = session.PlotRowCount;
    return true;
}

void setPlotUnit(Session& session, const std::string& unit) {
    if (unit == "C") {
        session.PlotUnit = "C";
        session.PlotTempLimitMax = 1760;
        session.PlotTempLimitMin = -200;
    } else if (unit == "F") {
        session.PlotUnit = "F";
        session.PlotTempLimitMax = 2000;
        session.PlotTempLimitMin = -328;
    } else {
        session.PlotUnit = "K";
        session.PlotTempLimitMax = 2000;
        session.PlotTempLimitMin = 0;
    }
    session.PlotTempMax = session.PlotTempLimitMax;
    session.PlotTempMin = session.PlotTempLimitMin;
    // A new plot starts on the unit's whole span.
    session.plotFit.on = false;
}

}  // namespace calvex
