#include "plot/plot_chart.h"

#include "canvas/chart_frame.h"

#include "instrument/text_format.h"
#include "plot/coalescing_canvas.h"
#include "plot/pen_grouping_canvas.h"
#include "plot/plot_fit.h"
#include "plot/plot_list.h"
#include "plot/vertical_run_canvas.h"

#include <optional>

namespace calvex {

float plotAreaWidth(int clientWidth) {
    const int room = clientWidth - 60;
    return static_cast<float>(room - room % 30);
}

void setPlotGeometry(Session& s, int clientWidth, int clientHeight) {
    s.DataPlotLeft = 60;
    s.DataPlotBase = static_cast<float>(clientHeight - 27);
    s.DataPlotWidth = plotAreaWidth(clientWidth);
    s.DataPlotHeight = static_cast<float>(clientHeight - 100);
    // A list without records has nothing to space out.
    s.DataPlotStep = s.PlotRecordCount > 0 ? s.DataPlotWidth / s.PlotRecordCount : 0.0f;
    s.DataPlotX = -s.DataPlotStep;
}

void drawPlotFrame(Session& s, Canvas& canvas, bool dual) {
    const double L = s.DataPlotLeft;
    const double B = s.DataPlotBase;
    const double H = s.DataPlotHeight;
    const double W = s.DataPlotWidth;

    drawChartAxes(canvas, {L, B, W, H}, s.PlotTempMin, s.PlotTempMax, plotAxisLabels(s));
    s.DataPlotPrevX = 0;
    s.DataPlotX = -s.DataPlotStep;
    drawChartCaptions(canvas, {L, B, W, H}, s.PlotUnit, dual);
}

bool drawPlot(Session& s, Canvas& canvas, const PlotCaption& caption, int clientWidth, int clientHeight,
              Grid* grid, bool dual, const std::vector<long long>& breaks) {
    setPlotGeometry(s, clientWidth, clientHeight);
    drawPlotFrame(s, canvas, dual);
    if (grid == nullptr)
        return false;
    if (s.PlotRecordCount <= 0)
        return true;
    return PlotList(s, canvas, caption, grid, dual, breaks);
}

bool drawPlotChart(Session& s, Canvas& target, const PlotCaption& caption, int clientWidth, int clientHeight,
                   Grid* grid, bool dual, const std::vector<long long>& breaks) {
    // A vector page also gets the lines within one pixel column joined; an image composes them
    // itself, pixel by pixel.
    std::optional<VerticalRunCanvas> runs;
    if (!target.paintsImagePixels())
        runs.emplace(target);
    PenGroupingCanvas grouped(runs ? static_cast<Canvas&>(*runs) : target);
    CoalescingCanvas canvas(grouped);
    const bool drawn = drawPlot(s, canvas, caption, clientWidth, clientHeight, grid, dual, breaks);
    canvas.flush();
    grouped.flush();
    if (runs)
        runs->flush();
    return drawn;
}

}  // namespace calvex
