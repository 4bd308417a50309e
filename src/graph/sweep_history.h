#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "canvas/axis_ticks.h"

namespace calvex {

// What the real-time graph's picture shows, kept as readings rather than pixels, so the chart can
// be drawn again on another scale ("Fit") without losing the sweep: the last sweep's samples of
// each curve and the marks under it. It holds one sweep of samples, the number the plotting width
// holds at the present step; an older sample has been wiped from the picture.
class SweepHistory {
public:
    static constexpr int kCurves = 3;

    // One tick's points, at the x where the tick drew them. A value is NaN where the curve has no
    // point (no reading, "----"); +infinity stands for "OL", -infinity for "-OL". `joined` tells
    // the curves whose segment from the previous tick's point was drawn.
    struct Sample {
        float x = 0;
        std::array<float, kCurves> values{};
        std::uint8_t joined = 0;

        bool isJoined(int curve) const { return (joined >> curve & 1) != 0; }
    };
    // A mark under the chart: a time ("hh:mm:ss") at a minute's place, or, with no text, the short
    // tick at a half minute's.
    struct Mark {
        float x = 0;
        std::string time;
    };

    // An empty picture that holds `samples` samples at most (a sweep's worth).
    void reset(std::size_t samples);
    void add(const Sample& sample);
    // The mark at a whole pixel of the sweep; a later one there replaces it.
    void addMark(long pixel, Mark mark);

    std::size_t size() const { return m_count; }
    std::size_t capacity() const { return m_capacity; }
    // The samples from the oldest on; i < size().
    const Sample& at(std::size_t i) const;
    const std::map<long, Mark>& marks() const { return m_marks; }
    // The lowest and highest reading shown: overloads and gaps left out.
    ValueSpan readings() const;

private:
    std::vector<Sample> m_samples;
    std::size_t m_capacity = 0;
    std::size_t m_first = 0;
    std::size_t m_count = 0;
    std::map<long, Mark> m_marks;
};

}  // namespace calvex
