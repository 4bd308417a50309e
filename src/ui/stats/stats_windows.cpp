#include "ui/stats/stats_windows.h"

namespace calvex {

StatsWindows::StatsWindows(Session& session) : m_session(session) {}

StatsWindows::~StatsWindows() {
    delete m_avg1.data();
    delete m_avg2.data();
}

AvgWindow* StatsWindows::window(bool dual) const {
    if (dual)
        return m_avg2.data();
    return m_avg1.data();
}

bool StatsWindows::visible(bool dual) const {
    const AvgWindow* w = window(dual);
    return w != nullptr && w->isVisible();
}

void StatsWindows::unload(bool dual) {
    // Closing deletes the window later; its closed() has already let go of it here.
    if (AvgWindow* w = window(dual))
        w->close();
}

void StatsWindows::openAvg() {
    InstrumentState& s = m_session.state;
    if (s.AvgOpen)
        return;
    // A single-input window that stopped when a dual instrument came stays open with its figures
    // but no longer counts as open; it goes now, so that only one window ever reads AvgRunning.
    unload(false);
    unload(true);

    s.AvgOpen = true;
    s.AvgRunning = true;
    // The window takes its own copy of the unit and model as it is made.
    AvgWindow* w = nullptr;
    if (s.DualModel) {
        m_avg2 = new AVG2(m_session, *this);
        w = m_avg2;
    } else {
        m_avg1 = new AVG1(m_session);
        w = m_avg1;
    }
    const bool dual = s.DualModel;
    QObject::connect(w, &AvgWindow::closed, w, [this, w, dual] {
        if (window(dual) != w)
            return;
        if (dual) {
            m_avg2.clear();
        } else {
            m_avg1.clear();
        }
    });
    w->show();
    w->showUnitAndType(s.Unit.format(), s.TcType.format());
    w->enableTimer1();
}

void StatsWindows::closeRunsOfOtherModel() {
    const bool model = m_session.state.DualModel;
    for (const bool dual : {true, false}) {
        const AvgWindow* w = window(dual);
        if (w != nullptr && w->isVisible() && w->DualModelAtStart != model)
            unload(dual);
    }
}

}  // namespace calvex
