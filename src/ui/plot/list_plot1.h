#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <string>

#include "canvas/image_canvas.h"
#include "session/session.h"

class QAction;
class QToolBar;

namespace calvex {

class PlotWindows;

// The stored-data plot: the records of a file or data list as a line chart. The chart is drawn
// onto an image the window keeps (a redraw on every size change, none on uncovering); the toolbar
// lies over the top of the client area, whose pixels are the chart's coordinates.
class ListPlot1 : public QWidget {
    Q_OBJECT

public:
    ListPlot1(Session& session, PlotWindows& owner);

    void Form_Load();
    void Form_Resize();
    void Toolbar1_ButtonClick(const std::string& key);

    // The last redraw could not draw the records (the window hides itself then).
    bool drawFailed() const { return m_drawFailed; }
    // The chart as drawn, without the toolbar.
    const QImage& chartImage() const { return m_canvas.image(); }
    QAction* fitButton() const { return m_fit; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void redraw();
    void showProgress(const std::string& caption);
    // The Print button's printing, once a printer is there (the default one, or the user's choice).
    void printImage();
    void exportChart();
    // "Fit": the scale fitted to the plotted readings, or back to the one before.
    void toggleFit();
    void describeChart(bool dual);

    Session& m_session;
    PlotWindows& m_owner;
    QToolBar* Toolbar1;
    QAction* m_fit = nullptr;
    ImageCanvas m_canvas;
    std::string m_caption;
    QElapsedTimer m_captionShown;
    bool m_drawFailed = false;
};

}  // namespace calvex
