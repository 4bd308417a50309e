#include "ui/graph/real_time23.h"

#include <QCloseEvent>
#include <QIcon>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QResizeEvent>

#include "canvas/chart_export.h"
#include "instrument/text_format.h"
#include "ui/common/print_preview.h"
#include "ui/common/toolbar_images.h"
#include "ui/common/toolbar_keys.h"
#include "ui/common/twips.h"
#include "ui/common/window_placement.h"
#include "ui/graph/graph_windows.h"

namespace calvex {

namespace {

struct ToolbarButton {
    const char* key;
    const char* toolTip;
};

constexpr ToolbarButton kButtons[] = {
    {"Limit", "Limit"},           {"Print", "Print"},   {"Preview", "Print Preview"},
    {"Export", "Export Picture"}, {"Fit", "Fit Scale"},
};

constexpr const char* kFitDescription =
    "Fits the temperature scale to the readings shown, on round numbers, and keeps widening it when a "
    "reading leaves it; pressed again, gives back the scale as it was";
// Message box style: OK button with the information icon.
constexpr int kInformation = 64;

}  // namespace

QSize RealTime23::minimumClientSize() {
    // The outer minimum of 5355 x 5865 twips, less the frame and title bar of the design.
    return QSize(twips(5355 - 120), twips(5865 - 405));
}

QSize RealTime23::designClientSize() {
    return QSize(twips(5235), twips(5460));
}

RealTime23::RealTime23(Session& session, GraphWindows& windows, QSize clientSize,
                       const ReadingValue& unitAtStart, bool dualModelAtStart)
    : QWidget(nullptr),
      m_session(session),
      m_windows(windows),
      m_image(QFont("Times New Roman", 9)),
      m_journal(m_image),
      m_canvas(m_journal),
      m_chart(session, m_canvas, unitAtStart, dualModelAtStart) {
    setObjectName("RealTime23");
    setWindowTitle("Real Time Graph ");
    setAttribute(Qt::WA_DeleteOnClose);
    // The chart paints every pixel from its image; nothing needs clearing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(minimumClientSize());
    setFont(QFont("Times New Roman", 9));

    Toolbar1 = new QToolBar(this);
    Toolbar1->setObjectName("Toolbar1");
    Toolbar1->setAccessibleName("Graph commands");
    Toolbar1->setMovable(false);
    Toolbar1->setIconSize(QSize(16, 16));
    for (const ToolbarButton& b : kButtons) {
        QAction* action = Toolbar1->addAction(toolbarImage(b.key), b.toolTip);
        action->setObjectName(b.key);
        action->setData(QString(b.key));
        action->setToolTip(b.toolTip);
        connect(action, &QAction::triggered, this,
                [this, key = QString(b.key)] { Toolbar1_ButtonClick(key); });
    }

    // Fit stays pressed while the scale follows the readings.
    m_fit = toolbarButton("Fit");
    m_fit->setCheckable(true);
    m_fit->setChecked(m_session.graphFit.on);
    if (QWidget* button = Toolbar1->widgetForAction(m_fit))
        button->setAccessibleDescription(kFitDescription);
    giveToolbarShortcuts(*Toolbar1);

    Timer1.setObjectName("Timer1");
    Timer1.setInterval(150);
    connect(&Timer1, &QTimer::timeout, this, &RealTime23::Timer1_Timer);

    resize(clientSize.expandedTo(minimumClientSize()));
    Form_Load();
}

QAction* RealTime23::toolbarButton(const QString& key) const {
    for (QAction* action : Toolbar1->actions()) {
        if (action->data().toString() == key)
            return action;
    }
    return nullptr;
}

void RealTime23::Form_Load() {
    if (m_session.panel != nullptr) {
        if (const QWidget* panel = m_session.panel->widget()) {
            const QRect frame = panel->frameGeometry();
            placeWindow(*this, QPoint(frame.x() + frame.width(), 0), m_session.settings);
        }
    }
    m_chart.Form_Load();
    describeChart();
}

// The chart is painted, so a screen reader learns from this what it shows and on what scale. A new
// range reopens the window, which describes it afresh.
void RealTime23::describeChart() {
    const std::string channels = m_chart.dualModelAtStart() ? "T1, T2 and T1-T2" : "T1";
    const std::string unit = m_chart.unitAtStart().text();
    setAccessibleDescription(QString::fromStdString(
        "Real-time graph of " + channels + (unit.empty() ? "" : " in " + unit) + ", scale " +
        plainNumber(m_session.GraphMin) + " to " + plainNumber(m_session.GraphMax) +
        (m_session.graphFit.on ? " following the readings" : "")));
}

void RealTime23::Form_Resize() {
    m_image.resize(width(), height());
    Toolbar1->setGeometry(0, 0, width(), twips(420));
    m_chart.Form_Resize();
    m_canvas.takeDamage();
    update();
}

void RealTime23::Form_Unload() {
    Timer1.stop();
    m_session.state.GraphActive = false;
}

void RealTime23::enableTimer1(int intervalMs) {
    Timer1.setInterval(intervalMs);
    Timer1.start();
}

void RealTime23::Timer1_Timer() {
    const double min = m_session.GraphMin;
    const double max = m_session.GraphMax;
    // One painter for the step's calls: a step that widens a fitted scale draws the whole picture.
    m_image.beginBatch();
    const bool drawn = m_chart.sweepStep();
    m_image.endBatch();
    if (!drawn)
        return;
    // Fit ended by the range dialog, or the scale widened to a reading.
    m_fit->setChecked(m_session.graphFit.on);
    if (min != m_session.GraphMin || max != m_session.GraphMax)
        describeChart();
    // Only the wiped strip, the grid lines and the new pieces are repainted.
    QRegion region;
    for (const PixelBox& box : m_canvas.takeDamage()) {
        region += QRect(box.left, box.top, box.right - box.left, box.bottom - box.top);
    }
    if (!region.isEmpty())
        update(region);
}

void RealTime23::Toolbar1_ButtonClick(const QString& key) {
    if (key == "Limit") {
        m_windows.showRange();
    } else if (key == "Print") {
        printChart();
    } else if (key == "Preview") {
        // The picture of the moment it opened: the graph sweeps on behind the preview.
        openPrintPreview(this, [image = m_image.image()](Printer& printer) { printer.printImage(image); });
    } else if (key == "Export") {
        exportChart();
    } else if (key == "Fit") {
        toggleFit();
    }
}

void RealTime23::toggleFit() {
    m_image.beginBatch();
    bool fitted = true;
    if (m_session.graphFit.on)
        m_chart.unfit();
    else
        fitted = m_chart.fit();
    m_image.endBatch();
    // Told without waiting for an answer: the window may close while the message stands.
    if (!fitted) {
        m_session.dialogs.notify(
            "The graph shows no readings to fit the scale to yet; the scale stays as it is.", kInformation);
    }
    m_fit->setChecked(m_session.graphFit.on);
    describeChart();
    m_windows.scaleChanged();
    // The whole picture was drawn again.
    m_canvas.takeDamage();
    update();
}

void RealTime23::exportChart() {
    exportChartPicture(
        m_session.dialogs, m_image.image(), m_image.font(),
        [this](Canvas& canvas) { return m_journal.replay(canvas); },
        "The graph has swept for too long to be drawn again as lines and texts; export it as a PNG image, or "
        "resize the window to start a new sweep.");
}

void RealTime23::printChart() {
    // The picture printed is the graph as it stands once the user has chosen.
    printWhenOutputChosen(m_session.printer, this, [this] { printImage(); });
}

void RealTime23::printImage() {
    // The kept image is the client area without the toolbar, which is a widget of its own.
    m_session.dialogs.setBusy(true);
    const bool printed = m_session.printer.printImage(m_image.image());
    m_session.dialogs.setBusy(false);
    if (!printed) {
        m_session.dialogs.message("The graph could not be printed.", kCriticalStop,
                                  m_session.printer.lastError());
    }
}

void RealTime23::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QImage& image = m_image.image();
    for (const QRect& rect : event->region())
        painter.drawImage(rect, image, rect);
}

void RealTime23::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void RealTime23::closeEvent(QCloseEvent* event) {
    Form_Unload();
    emit closing(size());
    event->accept();
}

}  // namespace calvex
