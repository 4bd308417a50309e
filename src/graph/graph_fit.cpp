#include "graph/graph_fit.h"

namespace calvex {

bool fitGraphAxis(Session& s, const ValueSpan& readings) {
    if (readings.empty())
        return false;
    const FittedAxis fitted =
        fitAxisWithin(readings.low(), readings.high(), s.GraphLimitMin, s.GraphLimitMax);
    if (fitted.ticks.count == 0)
        return false;
    s.graphFit.fit(s.GraphMin, s.GraphMax, fitted.min, fitted.max);
    return true;
}

void unfitGraphAxis(Session& s) {
    s.graphFit.unfit(s.GraphMin, s.GraphMax);
}

AxisLabels graphAxisLabels(const Session& s) {
    return s.graphFit.on ? AxisLabels::RoundTicks : AxisLabels::Eighths;
}

}  // namespace calvex
