#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "canvas/canvas.h"

namespace calvex {

// Passes every drawing call on to another canvas and keeps the calls that still show, so the
// chart can be drawn again, the same way, onto another surface (an SVG or PDF document).
//
// The real-time graph never redraws: each sweep step paints over what it passed, and its picture
// is everything drawn since the frame. The journal keeps that in bounded room by dropping what
// later calls paint over: a clear drops everything; a line drawn again with its ends in the same
// pixels and the same pen drops its earlier drawing (the grid lines of every step); and a box drops every
// call it covers wholly, which the wipe strip ahead of the cursor does to the curves of the last sweep. A
// call a box covers only in part keeps the rest in view; when boxes cover it bit by bit, the part in view
// shrinks with them until none is left. A text that a box touches at all is dropped: the graph
// only boxes texts to write a new time over an old one.
//
// Played back, the kept calls give the picture of all the calls, but for the remains of an old
// time under a new one.
class DrawingJournal : public CanvasFilter {
public:
    // How many calls the journal keeps at most. A graph left sweeping for months could pass it
    // (the two pixel columns at the left edge are never wiped); the journal then stops keeping
    // calls and says so, while the drawing goes on.
    static constexpr std::size_t kMaxCalls = 1'000'000;

    explicit DrawingJournal(Canvas& target) : CanvasFilter(target) {}

    // Draws the kept calls, in their order, onto `canvas`. False when the journal overflowed.
    bool replay(Canvas& canvas) const;
    bool overflowed() const { return m_overflowed; }
    // Calls kept, for the bound's sake.
    std::size_t keptCalls() const { return m_live; }

    void clear(Rgb background) override;
    void line(double x1, double y1, double x2, double y2, Rgb color, int width, LineStyle style) override;
    void fillBox(double x1, double y1, double x2, double y2, Rgb color) override;
    void drawText(double x, double y, const std::string& text, Rgb color) override;

private:
    enum class Kind { Clear, Line, Box, Text };
    // Whole pixels, edges included.
    struct Area {
        long left, top, right, bottom;
    };
    struct Call {
        Kind kind;
        double x1, y1, x2, y2;
        Rgb color;
        int width;
        LineStyle style;
        std::string text;
        // The pixels of the call that no later box has covered yet.
        Area inView;
        bool live;
    };
    // A line by the pixels its ends fall in.
    struct LineKey {
        long x1, y1, x2, y2;
        Rgb color;
        int width;
        LineStyle style;
        friend bool operator==(const LineKey&, const LineKey&) = default;
    };
    struct LineKeyHash {
        std::size_t operator()(const LineKey& k) const;
    };

    static LineKey keyOf(const Call& call);
    void keep(Call call);
    void drop(std::size_t index);
    // Drops the calls no longer kept from the list, once they are the greater part of it.
    void compact();

    std::vector<Call> m_calls;
    std::unordered_map<LineKey, std::size_t, LineKeyHash> m_lines;
    std::size_t m_live = 0;
    bool m_overflowed = false;
};

}  // namespace calvex
