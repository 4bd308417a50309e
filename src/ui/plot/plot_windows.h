#pragma once

#include <QPointer>
#include <QWidget>

#include "session/session.h"
#include "session/window_apis.h"

namespace calvex {

class Grid;
class ListPlot1;
class PlotRange;

// The list a plot follows: its grid while the list is open (null once it is closed), and its kind.
struct PlotSource {
    Grid* grid = nullptr;
    bool dual = false;
};

// The stored-data plot's windows: at most one ListPlot1 and one PlotRange. The plot follows the list
// that opened it, for as long as that list is open.
class PlotWindows : public PlotApi {
public:
    explicit PlotWindows(Session& session);
    ~PlotWindows() override;
    PlotWindows(const PlotWindows&) = delete;
    PlotWindows& operator=(const PlotWindows&) = delete;

    bool visible() const override;
    void close() override;
    // A fresh plot window for the plot variables. `source` null keeps the list of the last plot
    // (the range dialog's OK).
    void show(TableWindow* source) override;

    PlotSource source() const;
    // The plot window's "Limit": shows PlotRange, loading it when it is not open, with the unit in
    // its caption.
    void showRange();
    // The plot's temperature axis changed without the dialog (Fit): an open range dialog shows
    // the new span.
    void axisChanged();

    ListPlot1* plotWindow() const;
    PlotRange* rangeWindow() const;

private:
    Session& m_session;
    QPointer<ListPlot1> m_plot;
    QPointer<PlotRange> m_range;
    // The list window, watched so that a closed list is noticed before its grid is touched.
    QPointer<QWidget> m_sourceWidget;
    TableWindow* m_source = nullptr;
    bool m_sourceDual = false;
};

}  // namespace calvex
