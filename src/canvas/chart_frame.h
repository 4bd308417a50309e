#pragma once

#include <string>
#include <vector>

#include "canvas/axis_ticks.h"
#include "canvas/canvas.h"

namespace calvex {

// The plotting area of a chart, in client pixels: left edge, baseline, width and height.
struct ChartArea {
    double left = 0;
    double base = 0;
    double width = 0;
    double height = 0;
};

// The frame both charts share: the two axes and the temperature axis's ticks and labels, from
// `min` at the baseline to `max` at the top. By eighths, each label is placed by the size of the
// label below it, the lowest by the size of "100". A span without round ticks is labelled by
// eighths.
void drawChartAxes(Canvas& canvas, const ChartArea& area, double min, double max,
                   AxisLabels labels = AxisLabels::Eighths);

// The dotted grid lines across the plotting area, as fractions of its height above the baseline,
// in the order they are drawn: by eighths 1/8, 7/8, 3/4, 5/8, the top, 3/8 and 1/4 (the solid middle
// line is drawn apart); on a fitted axis one at each round tick above the baseline, so the lines
// meet the labels.
std::vector<double> dottedGridLines(double min, double max, AxisLabels labels);

// The unit letter over the temperature axis and, for the dual-input instrument, the legend
// "T1" (black), "T2" (blue), "T1-T2" (red).
void drawChartCaptions(Canvas& canvas, const ChartArea& area, const std::string& unit, bool legend);

}  // namespace calvex
