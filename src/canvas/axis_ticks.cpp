#include "canvas/axis_ticks.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace calvex {

namespace {

constexpr int kFewestTicks = 5;
// Beyond any axis of this program: the widest thermocouple span is about 2000 degrees, the
// narrowest reading step a tenth.
constexpr double kLargestSpan = 1e12;
constexpr double kSmallestSpan = 1e-9;

// The multiples of `step` inside [min, max], with a hair of slack for the ends' rounding.
AxisTicks ticksWith(double min, double max, double step) {
    const double slack = step * 1e-9;
    const double first = std::ceil((min - slack) / step);
    const double last = std::floor((max + slack) / step);
    AxisTicks t;
    t.step = step;
    t.first = first * step;
    t.count = last >= first ? static_cast<int>(last - first) + 1 : 0;
    return t;
}

// Round steps from the largest that fits `span` downwards: 5, 2, 1 times a power of ten.
template <typename Accept>
std::optional<AxisTicks> firstRoundStep(double span, Accept accept) {
    double power = std::pow(10.0, std::ceil(std::log10(span)));
    for (int i = 0; i < 40; ++i) {
        for (const double m : {5.0, 2.0, 1.0}) {
            if (auto t = accept(m * power))
                return t;
        }
        power /= 10;
    }
    return std::nullopt;
}

}  // namespace

AxisTicks roundTicks(double min, double max) {
    const double span = max - min;
    if (!std::isfinite(min) || !std::isfinite(max) || !(span > kSmallestSpan) || span > kLargestSpan)
        return {};
    const auto found = firstRoundStep(span, [&](double step) -> std::optional<AxisTicks> {
        const AxisTicks t = ticksWith(min, max, step);
        if (t.count >= kFewestTicks)
            return t;
        return std::nullopt;
    });
    return found.value_or(AxisTicks{});
}

namespace {

// The decimals a label on a tick `step` apart needs.
int decimalsOf(double step) {
    if (step > 0 && std::isfinite(step))
        return std::clamp(static_cast<int>(std::ceil(-std::log10(step) - 1e-9)), 0, 6);
    return 0;
}

}  // namespace

std::string tickLabel(double value, double step) {
    const int decimals = decimalsOf(step);
    // A tick that is zero to the step's precision is "0", never "-0".
    if (std::fabs(value) < step * 1e-6)
        value = 0;
    // to_chars writes "." whatever the locale, as every number this program writes.
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc())
        return "0";
    return std::string(text, result.ptr);
}

FittedAxis fitAxisWithin(double low, double high, double limitMin, double limitMax) {
    FittedAxis fitted = fitAxis(low, high);
    if (fitted.ticks.count == 0)
        return fitted;
    // The ends as their labels read: 24.6, not 24.600000000000001.
    const double scale = std::pow(10.0, decimalsOf(fitted.ticks.step));
    fitted.min = std::max(std::round(fitted.min * scale) / scale, limitMin);
    fitted.max = std::min(std::round(fitted.max * scale) / scale, limitMax);
    if (!(fitted.max > fitted.min))
        return {};
    fitted.ticks = roundTicks(fitted.min, fitted.max);
    return fitted;
}

FittedAxis fitAxis(double low, double high) {
    if (!std::isfinite(low) || !std::isfinite(high))
        return {};
    if (low > high)
        std::swap(low, high);
    double span = std::min(high - low, kLargestSpan);
    if (span < 1) {
        const double middle = (low + high) / 2;
        low = middle - 0.5;
        high = middle + 0.5;
        span = 1;
    }
    const double margin = span * 0.05;
    low -= margin;
    high += margin;
    const auto found = firstRoundStep(high - low, [&](double step) -> std::optional<AxisTicks> {
        const double min = std::floor(low / step) * step;
        const double max = std::ceil(high / step) * step;
        const AxisTicks t = ticksWith(min, max, step);
        if (t.count >= kFewestTicks)
            return t;
        return std::nullopt;
    });
    FittedAxis fitted;
    if (!found) {
        fitted.min = low;
        fitted.max = high;
        return fitted;
    }
    fitted.ticks = *found;
    fitted.min = found->first;
    fitted.max = found->at(found->count - 1);
    return fitted;
}

void ValueSpan::add(double value) {
    if (!std::isfinite(value))
        return;
    m_low = m_low ? std::min(*m_low, value) : value;
    m_high = m_high ? std::max(*m_high, value) : value;
}

}  // namespace calvex
