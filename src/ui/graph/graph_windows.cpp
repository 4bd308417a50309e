#include "ui/graph/graph_windows.h"

namespace calvex {

namespace {

struct UnitLimits {
    const char* unit;
    double max;
    double min;
};

constexpr UnitLimits kLimits[] = {{"C", 1760, -200}, {"F", 2000, -328}, {"K", 2000, 0}};

}  // namespace

GraphWindows::GraphWindows(Session& session)
    : m_session(session), m_clientSize(RealTime23::designClientSize()) {}

GraphWindows::~GraphWindows() {
    delete m_range.data();
    delete m_graph.data();
}

bool GraphWindows::visible() const {
    return m_graph != nullptr && m_graph->isVisible();
}

void GraphWindows::close() {
    if (m_graph == nullptr)
        return;
    // Closing deletes it later; from the closing on, the program has no graph.
    m_graph->close();
    m_graph.clear();
}

void GraphWindows::openGraph() {
    if (visible())
        close();
    InstrumentState& s = m_session.state;
    s.GraphActive = true;
    DualModelAtStart = s.DualModel;
    UnitAtStart = s.Unit;
    // Another unit text (none received yet) keeps the limits of the previous graph.
    for (const UnitLimits& limits : kLimits) {
        if (UnitAtStart.isText(limits.unit)) {
            m_session.GraphLimitMax = limits.max;
            m_session.GraphLimitMin = limits.min;
        }
    }
    m_session.GraphMax = m_session.GraphLimitMax;
    m_session.GraphMin = m_session.GraphLimitMin;
    // Every graph run starts on the unit's whole span.
    m_session.graphFit.on = false;
    m_session.GraphStep = 1.0f;
    showGraph();
}

void GraphWindows::showGraph() {
    // Callers close a visible graph first (which ends its run); should one still be there, it
    // goes without touching the run being started.
    if (m_graph != nullptr) {
        const bool active = m_session.state.GraphActive;
        close();
        m_session.state.GraphActive = active;
    }
    RealTime23* graph = new RealTime23(m_session, *this, m_clientSize, UnitAtStart, DualModelAtStart);
    m_graph = graph;
    QObject::connect(graph, &RealTime23::closing, graph, [this, graph](QSize size) {
        m_clientSize = size;
        if (m_graph == graph)
            m_graph.clear();
    });
    m_graph->show();
    m_graph->enableTimer1(m_session.panel != nullptr ? m_session.panel->pollInterval() : 150);
}

void GraphWindows::scaleChanged() {
    if (m_range != nullptr && m_range->isVisible())
        m_range->showScale();
}

void GraphWindows::showRange() {
    // A dialog closed a moment ago may not be deleted yet; it is not reused.
    if (m_range == nullptr || !m_range->isVisible()) {
        m_range = new RealTimeRange(m_session, *this);
        m_range->show();
    }
    m_range->raise();
    m_range->activateWindow();
}

}  // namespace calvex
