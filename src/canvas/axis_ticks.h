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

// How the temperature axis is labelled.
enum class AxisLabels {
    // 17 ticks (the even ones longer) and nine labels at the eighths of the span.
    Eighths,
    // An axis fitted to the readings: a long tick and its label on every round tick
    // (roundTicks), a short tick halfway between them.
    RoundTicks,
};

// A temperature axis fitted to the readings by "Fit", and the span it had before, which turning
// "Fit" off gives back.
struct AxisFit {
    bool on = false;
    double unfittedMin = 0;
    double unfittedMax = 0;

    // Puts an axis on the fitted axis of `readings`, kept within `limitMin` .. `limitMax`
    // (fitAxisWithin), keeping the scale it had before the first fit. False, and nothing changes,
    // when there are no readings or nothing fits.
    bool fitTo(double& min, double& max, const ValueSpan& readings, double limitMin, double limitMax) {
        if (readings.empty())
            return false;
        const FittedAxis fitted = fitAxisWithin(readings.low(), readings.high(), limitMin, limitMax);
        if (fitted.ticks.count == 0)
            return false;
        if (!on) {
            unfittedMin = min;
            unfittedMax = max;
        }
        on = true;
        min = fitted.min;
        max = fitted.max;
        return true;
    }
    // Gives the axis back the scale it had before the fit.
    void unfit(double& min, double& max) {
        if (!on)
            return;
        on = false;
        min = unfittedMin;
        max = unfittedMax;
    }
    // How the axis is labelled: on round ticks while it is fitted.
    AxisLabels labels() const { return on ? AxisLabels::RoundTicks : AxisLabels::Eighths; }
};

}  // namespace calvex
