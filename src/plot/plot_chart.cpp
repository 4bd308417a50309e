#include "plot/plot_chart.h"

#include "instrument/text_format.h"
#include "plot/plot_list.h"

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

    canvas.line(L - 2, B + 5, L - 2, B - H - 5, kBlack, 2, LineStyle::Solid);
    canvas.line(L - 2, B + 6, L + W + 2, B + 6, kBlack, 2, LineStyle::Solid);

    for (int j = 0; j <= 16; ++j) {
        const double y = B - j * H / 16;
        canvas.line(L - 2, y, L - 7, y, kBlack, 1, LineStyle::Solid);
        if (j % 2 == 0)
            canvas.line(L - 2, y, L - 10, y, kBlack, 1, LineStyle::Solid);
    }

    // Each label is placed with the size of the one below it ("100" for the lowest).
    std::string label;
    for (int k = 0; k <= 8; ++k) {
        if (canvas.textWidth(label) == 0)
            label = "100";
        const double x = L - 40 - canvas.textWidth(label) / 4;
        const double y = B - canvas.textHeight(label) / 2 - k * H / 8;
        label = formatUpTo2(s.PlotTempMin + k * (s.PlotTempMax - s.PlotTempMin) / 8);
        canvas.drawText(x, y, label, kBlack);
    }

    s.DataPlotPrevX = 0;
    s.DataPlotX = -s.DataPlotStep;
    canvas.drawText(L - 30, B - H - 25, s.PlotUnit, kBlack);

    if (dual) {
        const double y = B - H - 40;
        canvas.drawText(L - 60, y, "T1", kBlack);
        canvas.drawText(L - 40, y, "T2", kBlue);
        canvas.drawText(L - 20, y, "T1-T2", kRed);
    }
}

bool drawPlot(Session& s, Canvas& canvas, const PlotCaption& caption, int clientWidth, int clientHeight,
              Grid* grid, bool dual) {
    setPlotGeometry(s, clientWidth, clientHeight);
    drawPlotFrame(s, canvas, dual);
    if (grid == nullptr)
        return false;
    if (s.PlotRecordCount <= 0)
        return true;
    return PlotList(s, canvas, caption, grid, dual);
}

}  // namespace calvex
