#pragma once

#include <cstddef>
#include <vector>

#include "canvas/canvas.h"

namespace calvex {

// Passes drawing on to a vector canvas (an SVG or PDF page), joining a chain of solid lines of
// one pen that all run up or down one pixel column, each starting where the last one ended, into
// the one line from the chain's lowest to its highest point. Lines go through the centres of the
// pixels their ends fall in, so such a chain covers exactly that line: the page shows the same,
// and a plot of hundreds of records to a pixel column writes one line there instead of hundreds.
// A chain waits while lines of other pens pass it (the plot's curves take turns record by record);
// it is sent before anything that could touch it, so every place where drawings cross shows them
// in the order they were drawn.
//
// A chain that stays within one pixel is a line of no length, which a vector page does not show:
// it is left out.
//
// Not for an image: on pixels a line of the chain does not set all the pixels of its span, and a
// line of no length sets a pixel.
class VerticalRunCanvas : public HoldingCanvas {
public:
    explicit VerticalRunCanvas(Canvas& target) : HoldingCanvas(target) {}
    ~VerticalRunCanvas() override { flush(); }

    void flush() override;

    void line(double x1, double y1, double x2, double y2, Rgb color, int width, LineStyle style) override;

private:
    struct Run {
        double column;  // the pixel column, as its left edge
        Rgb color;
        int width;
        double low, high, end;  // pixel rows (top edges): the span and where the last line ended
    };
    // Sends the waiting chains that could share a point with the box, all of them when `all`.
    void sendTouching(double left, double top, double right, double bottom, const Run* except = nullptr);
    void send(std::size_t index);

    std::vector<Run> m_runs;
};

}  // namespace calvex
