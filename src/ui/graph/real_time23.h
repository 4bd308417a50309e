#pragma once

#include <QImage>
#include <QTimer>
#include <QToolBar>
#include <QWidget>

#include "canvas/image_canvas.h"
#include "graph/damage_canvas.h"
#include "graph/drawing_journal.h"
#include "graph/real_time_chart.h"
#include "session/session.h"

namespace calvex {

class GraphWindows;

// The real-time graph window: the chart is drawn on an image the window keeps and paints; the
// toolbar lies over the top of it.
class RealTime23 : public QWidget {
    Q_OBJECT
public:
    // `clientSize` is the size to open with (at least the design minimum); `unitAtStart` and
    // `dualModelAtStart` are the run's, which outlives the window when the range dialog reopens it.
    RealTime23(Session& session, GraphWindows& windows, QSize clientSize, const ReadingValue& unitAtStart,
               bool dualModelAtStart);

    void Timer1_Timer();
    void Toolbar1_ButtonClick(const QString& key);
    // The opener's last step: the poller's interval, and the sweep running.
    void enableTimer1(int intervalMs);

    const QImage& image() const { return m_image.image(); }
    const RealTimeChart& chart() const { return m_chart; }
    QAction* toolbarButton(const QString& key) const;

    // The smallest client area, and the designed one.
    static QSize minimumClientSize();
    static QSize designClientSize();

    // Controls, by their design names.
    QToolBar* Toolbar1 = nullptr;
    QTimer Timer1{this};  // a child, so it is found by name like the other controls

signals:
    // Sent as the window closes, with the size it had, so a reopened graph keeps it.
    void closing(QSize clientSize);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void describeChart();
    // Print asks for a printer first when there is no default one; printImage prints.
    void printChart();
    void printImage();
    void exportChart();
    // "Fit": the scale fitted to the readings and following them, or back to the one before.
    void toggleFit();

    Session& m_session;
    GraphWindows& m_windows;
    ImageCanvas m_image;
    // Everything still in view since the frame was drawn, for the vector pictures of "Export".
    DrawingJournal m_journal;
    DamageCanvas m_canvas;
    RealTimeChart m_chart;
    QAction* m_fit = nullptr;
};

}  // namespace calvex
