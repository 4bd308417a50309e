#include "ui/stats/avg1.h"

#include "ui/stats/stats_controls.h"

namespace calvex {

AVG1::AVG1(Session& session) : AvgWindow(session, 1, "AVG1") {
    setFixedSize(twipsRect(0, 0, 4425, 2040).size());

    captionPanel(this, "Maximum", twipsRect(120, 120, 855, 285));
    captionPanel(this, "Average", twipsRect(1080, 120, 855, 285));
    captionPanel(this, "Minimum", twipsRect(2040, 120, 855, 285));
    captionPanel(this, "Type", twipsRect(3000, 120, 615, 285));
    captionPanel(this, "Unit", twipsRect(3720, 120, 615, 285));
    LblMax = valueLabel(this, "LblMax", "Maximum", twipsRect(120, 405, 855, 375));
    LblAVG = valueLabel(this, "LblAVG", "Average", twipsRect(1080, 405, 855, 375));
    LblMin = valueLabel(this, "LblMin", "Minimum", twipsRect(2040, 405, 855, 375));
    LblType = valueLabel(this, "LblType", "Thermocouple type", twipsRect(3000, 405, 615, 375));
    LblUnit = valueLabel(this, "LblUnit", "Unit", twipsRect(3720, 405, 615, 375));
    LblMaxTime = extremeTimeLabel(this, "LblMaxTime", "Time of the maximum", twipsRect(120, 780, 855, 240));
    LblMinTime = extremeTimeLabel(this, "LblMinTime", "Time of the minimum", twipsRect(2040, 780, 855, 240));

    captionPanel(this, "Start Time", twipsRect(120, 1200, 1035, 285));
    captionPanel(this, "Stop Time", twipsRect(1200, 1200, 1035, 285));
    captionPanel(this, "Current Time", twipsRect(2280, 1200, 1035, 285));
    LblStartTime = clockLabel(this, "LblStartTime", "Start Time", twipsRect(120, 1485, 1035, 330));
    LblStopTime = clockLabel(this, "LblStopTime", "Stop Time", twipsRect(1200, 1485, 1035, 330));
    LblCurrentTime = clockLabel(this, "LblCurrentTime", "Current Time", twipsRect(2280, 1485, 1035, 330));
    CmdStartStop->setGeometry(twipsRect(3480, 1200, 855, 735));

    Form_Load();
}

void AVG1::Form_Load() {
    AvgWindow::Form_Load();
    m_session.state.AvgOpen = true;
    m_session.state.AvgRunning = true;
}

std::vector<ReadingValue> AVG1::currentValues() const {
    const InstrumentState& s = m_session.state;
    return {measured(s, inRunUnit(s.T1C, s.T1F, s.T1K))};
}

void AVG1::showFigures() {
    const ChannelFigures& figures = m_run.channel(0);
    setLabelText(LblMax, figures.extremes.max);
    setLabelText(LblMin, figures.extremes.min);
    setLabelText(LblMaxTime, figures.extremes.maxTime);
    setLabelText(LblMinTime, figures.extremes.minTime);
    setLabelText(LblAVG, figures.average);
}

void AVG1::modelChanged() {
    // The window stays with its last figures; the button shows what a click would now do.
    m_session.state.AvgOpen = false;
    m_session.state.AvgRunning = false;
    CmdStartStop->setText("Start");
}

}  // namespace calvex
