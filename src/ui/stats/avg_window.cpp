#include "ui/stats/avg_window.h"

#include <QCloseEvent>

#include "instrument/text_format.h"
#include "ui/common/window_placement.h"

namespace calvex {

void setLabelText(QLabel* label, const std::string& text) {
    label->setText(QString::fromStdString(text));
}

AvgWindow::AvgWindow(Session& session, std::size_t channels, const char* name)
    : QWidget(nullptr),
      UnitAtStart(session.state.Unit),
      DualModelAtStart(session.state.DualModel),
      m_session(session),
      m_run(channels) {
    setObjectName(name);
    setWindowTitle("Max / Min / AVG");
    setAttribute(Qt::WA_DeleteOnClose);

    CmdStartStop = new QPushButton("Stop", this);
    CmdStartStop->setObjectName("CmdStartStop");
    CmdStartStop->setAccessibleDescription("Starts or stops the statistics");
    connect(CmdStartStop, &QPushButton::clicked, this, &AvgWindow::CmdStartStop_Click);

    Timer1.setObjectName("Timer1");
    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &AvgWindow::Timer1_Timer);
}

std::string AvgWindow::now() const {
    const LocalDateTime t = m_session.clock.now();
    return formatTimeOfDay(t.hour * 3600LL + t.minute * 60LL + t.second);
}

void AvgWindow::Form_Load() {
    if (m_session.panel != nullptr) {
        if (const QWidget* panel = m_session.panel->widget()) {
            const QRect frame = panel->frameGeometry();
            placeWindow(*this, QPoint(frame.x() + frame.width(), frame.y()), m_session.settings);
        }
    }
    setLabelText(LblStartTime, now());
    m_run.restart();
}

void AvgWindow::Form_Unload() {
    Timer1.stop();
    m_session.state.AvgOpen = false;
    m_session.state.AvgRunning = false;
}

void AvgWindow::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
    emit closed();
}

void AvgWindow::showUnitAndType(const std::string& unit, const std::string& type) {
    setLabelText(LblUnit, unit);
    setLabelText(LblType, type);
}

const ReadingValue& AvgWindow::inRunUnit(const ReadingValue& c, const ReadingValue& f,
                                         const ReadingValue& k) const {
    return inUnit(UnitAtStart, c, f, k);
}

void AvgWindow::CmdStartStop_Click() {
    InstrumentState& s = m_session.state;
    if (s.AvgRunning) {
        s.AvgRunning = false;
        setLabelText(LblStopTime, now());
        CmdStartStop->setText("Start");
        return;
    }
    s.AvgRunning = true;
    setLabelText(LblStartTime, now());
    LblStopTime->clear();
    m_run.restart();
    CmdStartStop->setText("Stop");
    showFigures();
}

void AvgWindow::Timer1_Timer() {
    const std::string time = now();
    setLabelText(LblCurrentTime, time);
    const InstrumentState& s = m_session.state;
    if (!s.AvgRunning)
        return;
    if (s.DualModel != DualModelAtStart) {
        modelChanged();
        return;
    }
    if (m_run.sample(currentValues(), time))
        showFigures();
}

}  // namespace calvex
