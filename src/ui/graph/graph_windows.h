#pragma once

#include <QPointer>
#include <QSize>

#include "session/session.h"
#include "ui/graph/real_time23.h"
#include "ui/graph/real_time_range.h"

namespace calvex {

// The real-time graph and its range dialog, at most one of each.
class GraphWindows : public GraphApi {
public:
    explicit GraphWindows(Session& session);
    ~GraphWindows() override;
    GraphWindows(const GraphWindows&) = delete;
    GraphWindows& operator=(const GraphWindows&) = delete;

    void openGraph() override;
    bool visible() const override;
    void close() override;

    // A new, empty graph for the present graph variables, its sweep running at the poller's pace.
    void showGraph();
    // The range dialog, modeless ("Limit" on the graph's toolbar).
    void showRange();
    // The graph's scale changed without the dialog ("Fit"): an open range dialog shows it.
    void scaleChanged();

    RealTime23* graph() const { return m_graph.data(); }
    RealTimeRange* range() const { return m_range.data(); }

private:
    Session& m_session;
    QPointer<RealTime23> m_graph;
    QPointer<RealTimeRange> m_range;
    // The graph run's own copy of the unit and model, taken by the "Graph" command; a graph
    // reopened by the range dialog continues that run.
    ReadingValue UnitAtStart;
    bool DualModelAtStart = false;
    // The size of the last graph closed, so that a graph reopened by the range dialog keeps
    // the width its sample count was chosen for.
    QSize m_clientSize;
};

}  // namespace calvex
