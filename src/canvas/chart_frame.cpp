#include "canvas/chart_frame.h"

#include <algorithm>

#include "canvas/axis_ticks.h"
#include "instrument/text_format.h"

namespace calvex {

namespace {

// Ticks and labels on the round ticks of the span, each label right of its tick's end and
// centred on it.
void drawRoundTicks(Canvas& canvas, const ChartArea& area, double min, double max, const AxisTicks& ticks) {
    const double L = area.left;
    const double B = area.base;
    const double H = area.height;
    const double span = max - min;
    const auto yOf = [&](double value) { return B - (value - min) / span * H; };
    for (int k = 0; k < ticks.count; ++k) {
        const double y = yOf(ticks.at(k));
        canvas.line(L - 2, y, L - 10, y, kBlack, 1);
        const double half = ticks.at(k) + ticks.step / 2;
        if (half <= max)
            canvas.line(L - 2, yOf(half), L - 7, yOf(half), kBlack, 1);
    }
    // The half step below the lowest tick, when the span reaches it.
    if (ticks.count > 0 && ticks.first - ticks.step / 2 >= min) {
        const double y = yOf(ticks.first - ticks.step / 2);
        canvas.line(L - 2, y, L - 7, y, kBlack, 1);
    }
    for (int k = 0; k < ticks.count; ++k) {
        const std::string label = tickLabel(ticks.at(k), ticks.step);
        const double y = yOf(ticks.at(k)) - canvas.textHeight(label) / 2;
        canvas.drawText(L - 12 - canvas.textWidth(label), y, label, kBlack);
    }
}

}  // namespace

void drawChartAxes(Canvas& canvas, const ChartArea& area, double min, double max, AxisLabels labels) {
    const double L = area.left;
    const double B = area.base;
    const double H = area.height;
    canvas.line(L - 2, B + 5, L - 2, B - H - 5, kBlack, 2);
    canvas.line(L - 2, B + 6, L + area.width + 2, B + 6, kBlack, 2);
    if (labels == AxisLabels::RoundTicks) {
        const AxisTicks ticks = roundTicks(min, max);
        if (ticks.count > 0) {
            drawRoundTicks(canvas, area, min, max, ticks);
            return;
        }
    }
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

std::vector<double> dottedGridLines(double min, double max, AxisLabels labels) {
    if (labels == AxisLabels::RoundTicks) {
        const AxisTicks ticks = roundTicks(min, max);
        if (ticks.count > 0) {
            std::vector<double> fractions;
            for (int k = 0; k < ticks.count; ++k) {
                const double fraction = (ticks.at(k) - min) / (max - min);
                // The baseline has its axis; a hair above it is the same line.
                if (fraction > 1e-9)
                    fractions.push_back(std::min(fraction, 1.0));
            }
            return fractions;
        }
    }
    return {1.0 / 8, 7.0 / 8, 3.0 / 4, 5.0 / 8, 1.0, 3.0 / 8, 1.0 / 4};
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
