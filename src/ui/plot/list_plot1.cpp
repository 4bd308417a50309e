#include "ui/plot/list_plot1.h"

#include <QAction>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QToolBar>

#include "canvas/chart_export.h"
#include "instrument/text_format.h"
#include "plot/plot_chart.h"
#include "plot/plot_fit.h"
#include "ui/common/print_preview.h"
#include "ui/common/toolbar_images.h"
#include "ui/common/toolbar_keys.h"
#include "ui/common/window_placement.h"
#include "ui/plot/plot_windows.h"

namespace calvex {

namespace {

// Designed client area 5880 x 5460 twips; toolbar 420 twips high.
constexpr int kDesignWidth = 392;
constexpr int kDesignHeight = 364;
constexpr int kToolbarHeight = 28;
// The caption shows the progress at most this often (20 times a second, as fast as it can be
// read); every change of the title is a trip to the window system, and a long list would change
// it hundreds of thousands of times.
constexpr qint64 kProgressIntervalMs = 50;

constexpr const char* kFitDescription =
    "Fits the temperature scale to the plotted readings, on round numbers; pressed again, gives back the "
    "scale as it was";
// Message box style: OK button with the information icon.
constexpr int kInformation = 64;

}  // namespace

ListPlot1::ListPlot1(Session& session, PlotWindows& owner)
    : QWidget(nullptr, Qt::Window), m_session(session), m_owner(owner), Toolbar1(new QToolBar(this)) {
    setObjectName("ListPlot1");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Plot Data/File ");
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    m_canvas.setFont(font());

    Toolbar1->setObjectName("Toolbar1");
    Toolbar1->setIconSize(QSize(16, 16));
    Toolbar1->setMovable(false);
    const std::pair<const char*, const char*> buttons[] = {{"Limit", "Limit"},
                                                           {"Print", "Print"},
                                                           {"Preview", "Print Preview"},
                                                           {"Export", "Export Picture"},
                                                           {"Fit", "Fit Scale"}};
    for (const auto& [key, toolTip] : buttons) {
        QAction* action = Toolbar1->addAction(toolbarImage(key), toolTip);
        action->setObjectName(key);
        action->setToolTip(toolTip);
        action->setData(QString(key));
        const std::string keyText = key;
        connect(action, &QAction::triggered, this, [this, keyText] { Toolbar1_ButtonClick(keyText); });
    }
    // Fit stays pressed while the scale is fitted; pressing it again gives the scale back.
    m_fit = Toolbar1->actions().last();
    m_fit->setCheckable(true);
    m_fit->setChecked(m_session.plotFit.on);
    if (QWidget* button = Toolbar1->widgetForAction(m_fit))
        button->setAccessibleDescription(kFitDescription);
    giveToolbarShortcuts(*Toolbar1);
    Toolbar1->setGeometry(0, 0, kDesignWidth, kToolbarHeight);
    resize(kDesignWidth, kDesignHeight);
}

void ListPlot1::Form_Load() {
    QWidget* panel = m_session.panel ? m_session.panel->widget() : nullptr;
    if (panel != nullptr)
        placeWindow(*this, QPoint(panel->x() + panel->frameGeometry().width(), y()), m_session.settings);
    m_session.GridColor = 7;
}

void ListPlot1::Form_Resize() {
    redraw();
}

void ListPlot1::redraw() {
    m_canvas.resize(width(), height());
    Toolbar1->setGeometry(0, 0, width(), kToolbarHeight);
    update();

    const QSize outer = frameGeometry().size();
    if (outer.width() < kPlotMinOuterWidth || outer.height() < kPlotMinOuterHeight) {
        // Nothing is drawn this small; the new size brings the next redraw. A window still being
        // shown gets no resize event for it, so it redraws here.
        const QSize frame = outer - size();
        const QSize smallest(kPlotMinOuterWidth - frame.width(), kPlotMinOuterHeight - frame.height());
        resize(smallest);
        if (!isVisible() && size() == smallest)
            redraw();
        return;
    }

    const PlotSource source = m_owner.source();
    m_caption = windowTitle().toStdString();
    const PlotCaption caption{[this] { return m_caption; },
                              [this](const std::string& text) { showProgress(text); }};
    m_canvas.beginBatch();
    const bool drawn =
        drawPlotChart(m_session, m_canvas, caption, width(), height(), source.grid, source.dual);
    m_canvas.endBatch();
    // The progress shown last may have been skipped: the caption ends as the drawing left it.
    setWindowTitle(QString::fromStdString(m_caption));
    m_drawFailed = !drawn;
    describeChart(source.dual);
    if (m_drawFailed && isVisible())
        hide();
}

// The chart is painted, so a screen reader learns from this what it shows and on what scale.
void ListPlot1::describeChart(bool dual) {
    const std::string unit = m_session.PlotUnit;
    setAccessibleDescription(QString::fromStdString(
        std::string("Plot of ") + (dual ? "T1 and T2" : "T1") + (unit.empty() ? "" : " in " + unit) +
        ", scale " + plainNumber(m_session.PlotTempMin) + " to " + plainNumber(m_session.PlotTempMax) +
        (m_session.plotFit.on ? " fitted to the readings" : "") + ", records " +
        plainNumber(m_session.PlotFirstRecord) + " to " + plainNumber(m_session.PlotLastRecord)));
}

void ListPlot1::showProgress(const std::string& caption) {
    m_caption = caption;
    if (m_captionShown.isValid() && m_captionShown.elapsed() < kProgressIntervalMs)
        return;
    m_captionShown.start();
    setWindowTitle(QString::fromStdString(caption));
}

void ListPlot1::Toolbar1_ButtonClick(const std::string& key) {
    if (key == "Limit") {
        m_owner.showRange();
    } else if (key == "Print") {
        printWhenOutputChosen(m_session.printer, this, [this] { printImage(); });
    } else if (key == "Preview") {
        openPrintPreview(this, [image = m_canvas.image()](Printer& printer) { printer.printImage(image); });
    } else if (key == "Export") {
        exportChart();
    } else if (key == "Fit") {
        toggleFit();
    }
}

void ListPlot1::toggleFit() {
    if (m_session.plotFit.on) {
        unfitPlotAxis(m_session);
    } else {
        const PlotSource source = m_owner.source();
        // Told without waiting for an answer: the window may close while the message stands.
        if (source.grid == nullptr || !fitPlotAxis(m_session, *source.grid, source.dual)) {
            m_session.dialogs.notify(
                "The plotted records hold no readings to fit the scale to; the scale stays as it is.",
                kInformation);
        }
    }
    m_fit->setChecked(m_session.plotFit.on);
    m_owner.axisChanged();
    redraw();
}

void ListPlot1::printImage() {
    // The kept image is the chart alone: the toolbar is a widget above it, never in the picture.
    if (!m_session.printer.printImage(m_canvas.image()))
        m_session.dialogs.message("The plot could not be printed.", kCriticalStop,
                                  m_session.printer.lastError());
}

void ListPlot1::exportChart() {
    // The vector pictures are the chart drawn again by the redraw's own code, at the window's size.
    const PlotSource source = m_owner.source();
    const PlotCaption caption{[this] { return m_caption; },
                              [this](const std::string& text) { showProgress(text); }};
    m_caption = windowTitle().toStdString();
    const QSize size = m_canvas.image().size();
    exportChartPicture(
        m_session.dialogs, m_canvas.image(), m_canvas.font(),
        [&](Canvas& canvas) {
            return drawPlotChart(m_session, canvas, caption, size.width(), size.height(), source.grid,
                                 source.dual);
        },
        "The list the plot shows is no longer open.");
    setWindowTitle(QString::fromStdString(m_caption));
}

void ListPlot1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void ListPlot1::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), m_canvas.image(), event->rect());
}

}  // namespace calvex
