#pragma once

#include "canvas/axis_ticks.h"
#include "canvas/chart_frame.h"
#include "session/session.h"

namespace calvex {

// "Fit" on the real-time graph: GraphMin and GraphMax become the fitted axis of readings from
// `low` to `high` (fitAxisWithin, inside GraphLimitMin .. GraphLimitMax, so the Limit dialog
// accepts them as shown), graphFit is on and remembers the scale before the first fit. False,
// and nothing changes, when nothing fits (readings wholly beyond the limits).
bool fitGraphAxis(Session& session, const ValueSpan& readings);

// "Fit" off: the scale the graph had before the fit.
void unfitGraphAxis(Session& session);

// How the graph's temperature axis is labelled: on round ticks while it is fitted.
AxisLabels graphAxisLabels(const Session& session);

}  // namespace calvex
