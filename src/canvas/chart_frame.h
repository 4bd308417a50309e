#pragma once

#include <string>

#include "canvas/canvas.h"

namespace calvex {

// The plotting area of a chart, in client pixels: left edge, baseline, width and height.
struct ChartArea {
    double left = 0;
    double base = 0;
    double width = 0;
    double height = 0;
};

// The frame both charts share: the two axes, 17 ticks on the temperature axis (the even ones
// longer), and nine scale labels from `min` at the baseline to `max` at the top. Each label is
// placed by the size of the label below it, the lowest by the size of "100".
void drawChartAxes(Canvas& canvas, const ChartArea& area, double min, double max);

// The unit letter over the temperature axis and, for the dual-input instrument, the legend
// "T1" (black), "T2" (blue), "T1-T2" (red).
void drawChartCaptions(Canvas& canvas, const ChartArea& area, const std::string& unit, bool legend);

}  // namespace calvex
