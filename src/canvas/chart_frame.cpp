#include "canvas/chart_frame.h"

#include "instrument/text_format.h"

namespace calvex {

void drawChartAxes(Canvas& canvas, const ChartArea& area, double min, double max) {
    const double L = area.left;
    const double B = area.base;
    const double H = area.height;
    canvas.line(L - 2, B + 5, L - 2, B - H - 5, kBlack, 2);
    canvas.line(L - 2, B + 6, L + area.width + 2, B + 6, kBlack, 2);
    for (int j = 0; j <= 16; ++j) {
        const double y = B - j * H / 16;
        canvas.line(L - 2, y, L - 7, y, kBlack, 1);
        if (j % 2 == 0)
            canvas.line(L - 2, y, L - 10, y, kBlack, 1);
    }
    std::string label;
    for (int k = 0; k <= 8; ++k) {
        if (canvas.textWidth(label) == 0)
            label = "100";
        const double x = L - 40 - canvas.textWidth(label) / 4;
        const double y = B - canvas.textHeight(label) / 2 - k * H / 8;
        label = formatUpTo2(min + k * (max - min) / 8);
        canvas.drawText(x, y, label, kBlack);
    }
}

void drawChartCaptions(Canvas& canvas, const ChartArea& area, const std::string& unit, bool legend) {
    const double top = area.base - area.height;
    canvas.drawText(area.left - 30, top - 25, unit, kBlack);
    if (!legend)
        return;
    canvas.drawText(area.left - 60, top - 40, "T1", kBlack);
    canvas.drawText(area.left - 40, top - 40, "T2", kBlue);
    canvas.drawText(area.left - 20, top - 40, "T1-T2", kRed);
}

}  // namespace calvex
