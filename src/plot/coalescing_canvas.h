#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "platform/canvas.h"

namespace calvex {

// Passes drawing on to another canvas, leaving out a line that is drawn again, identical, later in
// the same batch. A line paints its pixels opaquely in one colour, so only its last drawing decides
// what they show: the picture stays exactly the one every call would give, as long as the target
// draws lines without blending (ImageCanvas does). The stored-data plot redraws its eight grid
// lines before every record; on a list of tens of thousands of records this keeps one of each.
//
// Calls wait in a bounded window and reach the target in their order; flush() (also run by the
// destructor) sends what is left.
class CoalescingCanvas : public CanvasFilter {
public:
    explicit CoalescingCanvas(Canvas& target);
    ~CoalescingCanvas() override;
    CoalescingCanvas(const CoalescingCanvas&) = delete;
    CoalescingCanvas& operator=(const CoalescingCanvas&) = delete;

    void flush();

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
        bool live;
    };

    void push(const Op& op);
    void send(std::size_t count);

    std::vector<Op> m_ops;
    std::vector<std::string> m_texts;
    // Number of calls sent or dropped before m_ops[0].
    std::size_t m_base = 0;
    // Where the latest drawing of a line waits, found by a hash of the line: 1 + its call number
    // (0 for none). Two places for each hash; a line that came back once keeps its place against
    // lines drawn once only, so the curves never push the grid out.
    struct Seen {
        std::size_t call = 0;
        bool recurring = false;
    };
    std::vector<std::array<Seen, 2>> m_seen;
};

}  // namespace calvex
