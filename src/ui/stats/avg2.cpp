#include "ui/stats/avg2.h"

#include <QGroupBox>

#include "session/window_apis.h"
#include "ui/stats/stats_controls.h"

namespace calvex {

namespace {

constexpr const char* kT1Names[5] = {"LblT1Max", "LblT1Avg", "LblT1Min", "LblT1MaxTime", "LblT1MinTime"};
constexpr const char* kT2Names[5] = {"LblT2Max", "LblT2Avg", "LblT2Min", "LblT2MaxTime", "LblT2MinTime"};
constexpr const char* kT1T2Names[5] = {"LblT1T2Max", "LblT1T2Avg", "LblT1T2Min", "LblT1T2MaxTime",
                                       "LblT1T2MinTime"};

}  // namespace

AVG2::AVG2(Session& session, StatsApi& windows) : AvgWindow(session, 3, "AVG2"), m_windows(windows) {
    setFixedSize(twipsRect(0, 0, 5055, 4065).size());

    m_groups[0] = buildGroup("T1", 0, kT1Names);
    m_groups[1] = buildGroup("T2", 1320, kT2Names);
    m_groups[2] = buildGroup("T1-T2", 2640, kT1T2Names);
    LblT1Max = m_groups[0].max;
    LblT1Avg = m_groups[0].average;
    LblT1Min = m_groups[0].min;
    LblT1MaxTime = m_groups[0].maxTime;
    LblT1MinTime = m_groups[0].minTime;
    LblT2Max = m_groups[1].max;
    LblT2Avg = m_groups[1].average;
    LblT2Min = m_groups[1].min;
    LblT2MaxTime = m_groups[1].maxTime;
    LblT2MinTime = m_groups[1].minTime;
    LblT1T2Max = m_groups[2].max;
    LblT1T2Avg = m_groups[2].average;
    LblT1T2Min = m_groups[2].min;
    LblT1T2MaxTime = m_groups[2].maxTime;
    LblT1T2MinTime = m_groups[2].minTime;

    captionPanel(this, "Unit", twipsRect(3600, 120, 615, 285));
    captionPanel(this, "Type", twipsRect(4320, 120, 615, 285));
    LblUnit = valueLabel(this, "LblUnit", "Unit", twipsRect(3600, 405, 615, 375));
    LblType = valueLabel(this, "LblType", "Thermocouple type", twipsRect(4320, 405, 615, 375));
    captionPanel(this, "Start Time", twipsRect(3600, 1080, 1335, 285));
    LblStartTime = clockLabel(this, "LblStartTime", "Start Time", twipsRect(3600, 1365, 1335, 330));
    captionPanel(this, "Stop Time", twipsRect(3600, 1800, 1335, 285));
    LblStopTime = clockLabel(this, "LblStopTime", "Stop Time", twipsRect(3600, 2085, 1335, 330));
    captionPanel(this, "Current Time", twipsRect(3600, 2520, 1335, 285));
    LblCurrentTime = clockLabel(this, "LblCurrentTime", "Current Time", twipsRect(3600, 2805, 1335, 330));
    CmdStartStop->setGeometry(twipsRect(3600, 3480, 1335, 495));

    Form_Load();
}

AVG2::Group AVG2::buildGroup(const QString& title, int top, const char* const names[5]) {
    auto* frame = new QGroupBox(title, this);
    frame->setGeometry(twipsRect(120, top, 3375, 1335));
    captionPanel(frame, "Maximum", twipsRect(120, 240, 975, 285));
    captionPanel(frame, "Average", twipsRect(1200, 240, 975, 285));
    captionPanel(frame, "Minimum", twipsRect(2280, 240, 975, 285));
    Group group{};
    group.max = valueLabel(frame, names[0], title + " Maximum", twipsRect(120, 525, 975, 375));
    group.average = valueLabel(frame, names[1], title + " Average", twipsRect(1200, 525, 975, 375));
    group.min = valueLabel(frame, names[2], title + " Minimum", twipsRect(2280, 525, 975, 375));
    group.maxTime =
        extremeTimeLabel(frame, names[3], title + " time of the maximum", twipsRect(120, 900, 975, 240));
    group.minTime =
        extremeTimeLabel(frame, names[4], title + " time of the minimum", twipsRect(2280, 900, 975, 240));
    return group;
}

std::vector<ReadingValue> AVG2::currentValues() const {
    const InstrumentState& s = m_session.state;
    return {measured(s, inRunUnit(s.T1C, s.T1F, s.T1K)), measured(s, inRunUnit(s.T2C, s.T2F, s.T2K)),
            measured(s, inRunUnit(s.T1T2C, s.T1T2F, s.T1T2K))};
}

void AVG2::showFigures() {
    for (std::size_t i = 0; i < m_groups.size(); ++i) {
        const ChannelFigures& figures = m_run.channel(i);
        const Group& group = m_groups[i];
        setLabelText(group.max, figures.extremes.max);
        setLabelText(group.min, figures.extremes.min);
        setLabelText(group.maxTime, figures.extremes.maxTime);
        setLabelText(group.minTime, figures.extremes.minTime);
        setLabelText(group.average, figures.average);
    }
}

void AVG2::modelChanged() {
    // Closing runs each window's unload, which clears AvgOpen and AvgRunning.
    m_session.state.AvgOpen = false;
    if (m_windows.visible(true))
        m_windows.unload(true);
    if (m_windows.visible(false))
        m_windows.unload(false);
}

}  // namespace calvex
