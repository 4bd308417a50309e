#include "ui/plot/plot_windows.h"

#include "ui/plot/list_plot1.h"
#include "ui/plot/plot_range.h"

namespace calvex {

PlotWindows::PlotWindows(Session& session) : m_session(session) {}

PlotWindows::~PlotWindows() {
    delete m_plot.data();
    delete m_range.data();
}

bool PlotWindows::visible() const {
    return m_plot && m_plot->isVisible();
}

void PlotWindows::close() {
    if (m_plot)
        m_plot->close();
    m_plot = nullptr;
}

void PlotWindows::show(TableWindow* source) {
    if (source != nullptr) {
        m_source = source;
        m_sourceWidget = source->widget();
        m_sourceDual = source->dual();
    }
    // Always a new window, so its caption and position start afresh.
    close();
    auto* window = new ListPlot1(m_session, *this);
    m_plot = window;
    window->Form_Load();
    window->show();
    // The first redraw runs while the window is being shown; a failed one hides it afterwards.
    if (window->drawFailed())
        window->hide();
}

void PlotWindows::axisChanged() {
    if (m_range)
        m_range->showTemperatures();
}

ListPlot1* PlotWindows::plotWindow() const {
    return m_plot;
}

PlotRange* PlotWindows::rangeWindow() const {
    return m_range;
}

PlotSource PlotWindows::source() const {
    if (m_source == nullptr || m_sourceWidget.isNull())
        return {nullptr, m_sourceDual};
    return {&m_source->grid(), m_source->dual()};
}

void PlotWindows::showRange() {
    if (!m_range) {
        m_range = new PlotRange(m_session);
        m_range->Form_Load();
    }
    m_range->show();
    m_range->raise();
    m_range->activateWindow();
    m_range->setWindowTitle(QString::fromStdString("Plot Range ( " + m_session.PlotUnit + " )"));
}

}  // namespace calvex
