#include "graph/graph_fit.h"

namespace calvex {

bool fitGraphAxis(Session& s, const ValueSpan& readings) {
    return s.graphFit.fitTo(s.GraphMin, s.GraphMax, readings, s.GraphLimitMin, s.GraphLimitMax);
}

void unfitGraphAxis(Session& s) {
    s.graphFit.unfit(s.GraphMin, s.GraphMax);
}

AxisLabels graphAxisLabels(const Session& s) {
    return s.graphFit.labels();
}

}  // namespace calvex
