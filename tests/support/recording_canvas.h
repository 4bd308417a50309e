#pragma once

#include <string>
#include <vector>

#include "canvas/canvas.h"

namespace calvex::test {

// Records every drawing call, so tests can assert the exact lines, boxes and texts drawn.
class RecordingCanvas : public Canvas {
public:
    struct Call {
        enum Kind { Clear, Line, Box, Text } kind;
        double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        Rgb color;
        int width = 1;
        LineStyle style = LineStyle::Solid;
        std::string text;
    };

    RecordingCanvas(int w = 400, int h = 391) : m_width(w), m_height(h) {}

    int width() const override { return m_width; }
    int height() const override { return m_height; }
    void clear(Rgb background) override { calls.push_back({Call::Clear, 0, 0, 0, 0, background, 1, {}, {}}); }
    void line(double x1, double y1, double x2, double y2, Rgb color, int width, LineStyle style) override {
        calls.push_back({Call::Line, x1, y1, x2, y2, color, width, style, {}});
    }
    void fillBox(double x1, double y1, double x2, double y2, Rgb color) override {
        calls.push_back({Call::Box, x1, y1, x2, y2, color, 1, {}, {}});
    }
    // Text measures like a fixed font: 7 pixels a character, 16 high.
    double textWidth(const std::string& text) const override {
        return 7.0 * static_cast<double>(text.size());
    }
    double textHeight(const std::string&) const override { return 16.0; }
    void drawText(double x, double y, const std::string& text, Rgb color) override {
        calls.push_back({Call::Text, x, y, 0, 0, color, 1, {}, text});
    }

    std::vector<Call> ofKind(Call::Kind kind) const {
        std::vector<Call> out;
        for (const Call& c : calls)
            if (c.kind == kind)
                out.push_back(c);
        return out;
    }
    void reset() { calls.clear(); }

    std::vector<Call> calls;

private:
    int m_width;
    int m_height;
};

}  // namespace calvex::test
