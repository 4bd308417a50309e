#include "plot/plot_fit.h"

#include <algorithm>
#include <string>

#include "instrument/text_format.h"
#include "lists/grid.h"
#include "plot/plot_series.h"
#include "plot/plot_units.h"

namespace calvex {

ValueSpan plotReadingSpan(const Session& s, const Grid& grid, bool dual) {
    ValueSpan span;
    // Only the rows the grid holds: a range beyond them reads nothing.
    const double first = std::max(roundHalfEven(s.PlotFirstRecord), 1.0);
    const double last = std::min(roundHalfEven(s.PlotLastRecord), static_cast<double>(grid.rows() - 1));
    if (!(first <= last))
        return span;
    const std::size_t unitColumn = static_cast<std::size_t>(plotUnitColumn(dual));
    std::string unit;
    for (int row = static_cast<int>(first); row <= static_cast<int>(last); ++row) {
        const PlotRecordFields fields = plotRecordFields(grid.rowText(row));
        unit.assign(fields[unitColumn]);
        for (const PlotSeries& series : plotSeries(dual)) {
            const PlotReading reading = plotReading(fields[static_cast<std::size_t>(series.column)], unit,
                                                    s.PlotUnit, series.difference);
            if (reading.kind == PlotReading::Kind::Value)
                span.add(reading.value);
        }
    }
    return span;
}

bool fitPlotAxis(Session& s, const Grid& grid, bool dual) {
    return s.plotFit.fitTo(s.PlotTempMin, s.PlotTempMax, plotReadingSpan(s, grid, dual), s.PlotTempLimitMin,
                           s.PlotTempLimitMax);
}

void unfitPlotAxis(Session& s) {
    s.plotFit.unfit(s.PlotTempMin, s.PlotTempMax);
}

AxisLabels plotAxisLabels(const Session& s) {
    return s.plotFit.labels();
}

}  // namespace calvex
