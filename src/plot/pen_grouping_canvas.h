#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "platform/canvas.h"

namespace calvex {

// Passes drawing on to another canvas, moving a line back to join earlier lines of the same pen
// when nothing it passes could share a pixel with it. Two opaque drawings that touch no common
// pixel give the same picture in either order, so the picture is exactly the one of the calls in
// their order; the target gets long runs of one pen instead of a pen change at every line (the
// plot's three curves alternate black, blue and red record after record).
//
// The overlap test assumes the target puts no pixel of a line further than the line's width plus
// one pixel from the segment between its end points (true of ImageCanvas). Texts and boxes are
// never passed. Calls reach the target when the held lines run over a bound, and on flush() (also
// run by the destructor).
class PenGroupingCanvas : public CanvasFilter {
public:
    explicit PenGroupingCanvas(Canvas& target);
    ~PenGroupingCanvas() override;
    PenGroupingCanvas(const PenGroupingCanvas&) = delete;
    PenGroupingCanvas& operator=(const PenGroupingCanvas&) = delete;

    void flush();

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

    void send(const Group& group);
    void sendOldest();

    std::deque<Group> m_groups;
    std::size_t m_heldLines = 0;
};

}  // namespace calvex
