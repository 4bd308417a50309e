#pragma once

#include <optional>
#include <string>

namespace calvex {

// Round ticks on a temperature axis: 1, 2 or 5 times a power of ten apart, at whole multiples of
// that step. `first` and `last` are the lowest and highest tick, `count` the number of ticks.
struct AxisTicks {
    double first = 0;
    double step = 1;
    int count = 0;

    double at(int k) const { return first + k * step; }
};

// The ticks inside [min, max], five to ten of them wherever a span allows it (the largest round
// step that still gives five). A span that is empty, reversed or not finite gets none.
AxisTicks roundTicks(double min, double max);

// A tick's label with as many decimals as the step needs: 25, 24.5, 24.25.
std::string tickLabel(double value, double step);

// An axis fitted to readings from `low` to `high`: a small margin either side, both ends on a
// round tick, five to ten ticks. A span narrower than one degree is widened to one about its middle,
// so a flat line sits mid-axis rather than on a hair-thin scale.
struct FittedAxis {
    double min = 0;
    double max = 0;
    AxisTicks ticks;
};
FittedAxis fitAxis(double low, double high);

// fitAxis kept within the span a chart's axis may have: an end beyond a limit is held at it, so
// the range dialogs accept what they are shown. The ticks are then those inside the ends. No
// ticks and both ends 0 when nothing fits (readings wholly outside the limits).
FittedAxis fitAxisWithin(double low, double high, double limitMin, double limitMax);

// The lowest and highest of the values given, each skipped when not finite. Empty until the
// first finite value.
class ValueSpan {
public:
    void add(double value);
    bool empty() const { return !m_low; }
    double low() const { return m_low.value_or(0); }
    double high() const { return m_high.value_or(0); }

private:
    std::optional<double> m_low;
    std::optional<double> m_high;
};

}  // namespace calvex
