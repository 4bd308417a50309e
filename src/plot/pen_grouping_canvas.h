#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "canvas/canvas.h"

namespace calvex {

// Passes drawing on to another canvas, moving a line back to join earlier lines of the same pen
// when nothing it passes could share a pixel with it. Two opaque drawings that touch no common
// pixel give the same picture in either order, so the picture is exactly the one of the calls in
// their order; the target gets long runs of one pen instead of a pen change at every line (the
// plot's three curves alternate black, blue and red record after record).
//
// The overlap test assumes the target puts no pixel of a line further than the line's width plus
// one pixel from the segment between its end points (true of ImageCanvas). Texts and boxes are
// never passed. Calls reach the target when the held calls run over a bound, and on flush() (also
// run by the destructor).
//
// On a canvas that paints image pixels (ImageCanvas) the solid one-pixel lines that stay within one pixel
// column are also composed here, pixel by pixel, the later line over the earlier as the image would have
// them, and reach it as one box per run of one colour in a column: a curve of hundreds of records to a pixel
// is a handful of boxes, not hundreds of lines. The image's rule for such a line through pixel centres is
// kept exactly: a line from row a to row b sets rows min(a, b) + 1 to max(a, b) of its column, and a line of
// no length, from a point inside the image, sets only the pixel one down and one to the right of that point.
// Whatever else arrives first sends the composed pixels out.
class PenGroupingCanvas : public HoldingCanvas {
public:
    explicit PenGroupingCanvas(Canvas& target);
    ~PenGroupingCanvas() override;

    void flush() override;

    void clear(Rgb background) override;
    void line(double x1, double y1, double x2, double y2, Rgb color, int width, LineStyle style) override;
    void fillBox(double x1, double y1, double x2, double y2, Rgb color) override;
    void drawText(double x, double y, const std::string& text, Rgb color) override;

private:
    struct Bounds {
        double left, top, right, bottom;
        bool meets(const Bounds& other) const {
            return left <= other.right && other.left <= right && top <= other.bottom && other.top <= bottom;
        }
    };
    struct Segment {
        double x1, y1, x2, y2;
    };
    enum class Kind { Lines, Box, Text };
    // A run of lines of one pen, or a box or text that nothing moves past.
    struct Group {
        Kind kind;
        Rgb color;
        int width;
        LineStyle style;
        Bounds bounds;
        std::vector<Segment> segments;
        std::string text;
    };

    // A pixel column being composed: the colour of each row (0 untouched, else 1 << 24 | rgb).
    struct Column {
        bool used = false;
        int x = 0;
        int top = 0;
        int bottom = -1;
        std::vector<std::uint32_t> rows;
    };

    void add(Group group);
    void send(const Group& group);
    void sendOldest();
    // True when the line was composed (or sets no pixel of the image at all).
    bool compose(double x1, double y1, double x2, double y2, Rgb color, int width, LineStyle style);
    Column& column(int x);
    void sendColumn(Column& column);
    void sendColumns();

    std::deque<Group> m_groups;
    std::size_t m_held = 0;
    const bool m_composing;
    int m_imageWidth = 0;
    int m_imageHeight = 0;
    std::array<Column, 2> m_columns;
};

}  // namespace calvex
