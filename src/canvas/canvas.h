#pragma once

#include <cstdint>
#include <string>

namespace calvex {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The standard 16-colour palette by number (7 light grey, 15 white).
Rgb paletteColor(int index);

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kBlue{0, 0, 255};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};

enum class LineStyle { Solid, Dotted };

// A drawing surface in client-area pixels, x to the right, y downwards. What is drawn stays until
// it is drawn over or cleared.
class Canvas {
public:
    virtual ~Canvas() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual void clear(Rgb background) = 0;
    virtual void line(double x1, double y1, double x2, double y2, Rgb color, int width = 1,
                      LineStyle style = LineStyle::Solid) = 0;
    // A filled box between two corners (either order), edges included.
    virtual void fillBox(double x1, double y1, double x2, double y2, Rgb color) = 0;
    virtual double textWidth(const std::string& text) const = 0;
    virtual double textHeight(const std::string& text) const = 0;
    // Text with its top-left corner at (x, y).
    virtual void drawText(double x, double y, const std::string& text, Rgb color) = 0;
    // Whether the canvas sets the pixels of an image the way Qt's raster painter does for lines
    // through pixel centres, so that a filter may hand it the pixels a run of lines would set as
    // boxes instead. A vector document keeps its lines.
    virtual bool paintsImagePixels() const { return false; }
};

// A canvas that passes its drawing on to another one: the measures come from the target, and a
// subclass decides what of the drawing reaches it (and when).
class CanvasFilter : public Canvas {
public:
    explicit CanvasFilter(Canvas& target) : m_target(target) {}
    int width() const override { return m_target.width(); }
    int height() const override { return m_target.height(); }
    double textWidth(const std::string& text) const override { return m_target.textWidth(text); }
    double textHeight(const std::string& text) const override { return m_target.textHeight(text); }

protected:
    Canvas& m_target;
};

// A filter that holds drawing back to send it on in another form (fewer lines, longer runs of one
// pen). What it holds reaches the target on flush(), which a subclass's destructor runs too. A
// clear, a box or a text the subclass does not take for itself sends what is held first and then
// goes straight on, so the target sees every drawing in its order.
class HoldingCanvas : public CanvasFilter {
public:
    explicit HoldingCanvas(Canvas& target) : CanvasFilter(target) {}
    HoldingCanvas(const HoldingCanvas&) = delete;
    HoldingCanvas& operator=(const HoldingCanvas&) = delete;

    // Sends everything held back to the target, in the order it was drawn.
    virtual void flush() = 0;

    void clear(Rgb background) override {
        flush();
        m_target.clear(background);
    }
    void fillBox(double x1, double y1, double x2, double y2, Rgb color) override {
        flush();
        m_target.fillBox(x1, y1, x2, y2, color);
    }
    void drawText(double x, double y, const std::string& text, Rgb color) override {
        flush();
        m_target.drawText(x, y, text, color);
    }
};

}  // namespace calvex
