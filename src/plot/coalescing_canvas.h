#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "canvas/canvas.h"

namespace calvex {

// Passes drawing on to another canvas, leaving out a line that is drawn again, identical, later in
// the same batch. A line paints its pixels opaquely in one colour, so only its last drawing decides
// what they show: the picture stays exactly the one every call would give, as long as the target
// draws lines without blending (ImageCanvas does). The stored-data plot redraws its eight grid
// lines before every record; on a list of tens of thousands of records this keeps one of each.
//
// Calls wait in a bounded window and reach the target in their order; flush() (also run by the
// destructor) sends what is left. A line drawn again and again (the grid) waits outside the window
// and is sent once, at the place of its latest drawing, so it costs each later drawing no more
// than a look-up.
class CoalescingCanvas : public HoldingCanvas {
public:
    explicit CoalescingCanvas(Canvas& target);
    ~CoalescingCanvas() override;

    void flush() override;

    void clear(Rgb background) override;
    void line(double x1, double y1, double x2, double y2, Rgb color, int width, LineStyle style) override;
    void fillBox(double x1, double y1, double x2, double y2, Rgb color) override;
    void drawText(double x, double y, const std::string& text, Rgb color) override;

private:
    enum class Kind { Line, Box, Text };
    struct Op {
        Kind kind;
        double x1, y1, x2, y2;
        Rgb color;
        int width;
        LineStyle style;
        // Texts wait in m_texts.
        std::size_t text;
        // The call's number, from 1: the order in which the target gets the calls.
        std::uint64_t call;
        bool live;
        bool sameLine(double ax1, double ay1, double ax2, double ay2, Rgb c, int w, LineStyle st) const {
            return kind == Kind::Line && x1 == ax1 && y1 == ay1 && x2 == ax2 && y2 == ay2 && color == c &&
                   width == w && style == st;
        }
    };

    // The index-th oldest op of the window.
    Op& waiting(std::size_t index);
    void push(const Op& op);
    void send(std::size_t count);
    void sendOp(const Op& op);
    // Sends the floating lines drawn last before call `before`, in their order.
    void sendFloatingBefore(std::uint64_t before);
    void followFloating(int floating);

    std::uint64_t m_calls = 0;
    // The window: a ring of m_count ops from m_head, in the order of their calls.
    std::vector<Op> m_ops;
    std::size_t m_head = 0;
    std::size_t m_count = 0;
    std::vector<std::string> m_texts;
    // Number of ops pushed (sent, dropped or waiting) before the oldest waiting one.
    std::size_t m_base = 0;
    // Lines drawn at least twice and still waiting, each kept once with the number of its latest
    // call; `live` false for a free place.
    std::vector<Op> m_floating;
    // For each floating line, the floating line drawn after it last time (-1 none), and the
    // floating line drawn latest.
    std::vector<int> m_nextFloating;
    int m_lastFloating = -1;
    // No floating line waits with a call number below this.
    std::uint64_t m_floatingFrom = 0;
    // Where the latest drawing of a line waits, found by a hash of the line: 1 + its push number
    // in the window (0 for none), or the floating line that holds it. Two places for each hash; a
    // line that came back once keeps its place against lines drawn once only, so the curves never
    // push the grid out.
    struct Seen {
        std::uint64_t hash = 0;
        std::size_t push = 0;
        int floating = -1;
        bool recurring = false;
    };
    std::vector<std::array<Seen, 2>> m_seen;
};

}  // namespace calvex
