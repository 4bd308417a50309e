#pragma once

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <string>
#include <vector>

#include "session/session.h"
#include "stats/stats_run.h"

namespace calvex {

// What AVG1 and AVG2 have in common: the start, stop and current times, the unit and type,
// the Start/Stop button and the one-second timer that samples the shared reading.
class AvgWindow : public QWidget {
    Q_OBJECT
public:
    ~AvgWindow() override = default;

    void Timer1_Timer();
    void CmdStartStop_Click();

    // The opener's part: the unit and thermocouple type of the run, and the timer started.
    void showUnitAndType(const std::string& unit, const std::string& type);
    void enableTimer1() { Timer1.start(); }

    const StatsRun& run() const { return m_run; }

    // The run's own copy of the instrument's unit and model, taken as the window opens: the
    // figures stay in this unit, and a reading of the other model ends the run.
    const ReadingValue UnitAtStart;
    const bool DualModelAtStart;

    // Controls, by their design names.
    QLabel* LblUnit = nullptr;
    QLabel* LblType = nullptr;
    QLabel* LblStartTime = nullptr;
    QLabel* LblStopTime = nullptr;
    QLabel* LblCurrentTime = nullptr;
    QPushButton* CmdStartStop = nullptr;
    QTimer Timer1{this};  // a child, so it is found by name like the other controls

signals:
    // Sent as the window closes (its unload has run).
    void closed();

protected:
    AvgWindow(Session& session, std::size_t channels, const char* name);

    // Places the window beside the panel and starts the figures from nothing.
    void Form_Load();
    void Form_Unload();
    void closeEvent(QCloseEvent* event) override;

    // This tick's readings, one per channel, in the unit the run started with; Empty while the
    // instrument's reading is unknown.
    virtual std::vector<ReadingValue> currentValues() const = 0;
    // Puts the figures of the run on the labels.
    virtual void showFigures() = 0;
    // The instrument was replaced by one of the other model.
    virtual void modelChanged() = 0;

    // The readings of one channel in the run's unit: `c`, `f` or `k` by UnitAtStart ("C", "F", else K).
    const ReadingValue& inRunUnit(const ReadingValue& c, const ReadingValue& f, const ReadingValue& k) const;
    std::string now() const;

    Session& m_session;
    StatsRun m_run;
};

// Sets a label's text from a std::string.
void setLabelText(QLabel* label, const std::string& text);

}  // namespace calvex
