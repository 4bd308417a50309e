#pragma once

#include <array>

#include "ui/stats/avg_window.h"

namespace calvex {

class StatsApi;

// Max / Min / AVG of the dual-input instrument: T1, T2 and T1-T2 with one shared count.
class AVG2 : public AvgWindow {
    Q_OBJECT
public:
    // `windows` closes the statistics windows when the instrument's model changes.
    AVG2(Session& session, StatsApi& windows);

    // Controls, by their design names.
    QLabel* LblT1Max = nullptr;
    QLabel* LblT1Avg = nullptr;
    QLabel* LblT1Min = nullptr;
    QLabel* LblT1MaxTime = nullptr;
    QLabel* LblT1MinTime = nullptr;
    QLabel* LblT2Max = nullptr;
    QLabel* LblT2Avg = nullptr;
    QLabel* LblT2Min = nullptr;
    QLabel* LblT2MaxTime = nullptr;
    QLabel* LblT2MinTime = nullptr;
    QLabel* LblT1T2Max = nullptr;
    QLabel* LblT1T2Avg = nullptr;
    QLabel* LblT1T2Min = nullptr;
    QLabel* LblT1T2MaxTime = nullptr;
    QLabel* LblT1T2MinTime = nullptr;

protected:
    std::vector<ReadingValue> currentValues() const override;
    void showFigures() override;
    void modelChanged() override;

private:
    // The labels of one channel's group.
    struct Group {
        QLabel* max;
        QLabel* average;
        QLabel* min;
        QLabel* maxTime;
        QLabel* minTime;
    };
    Group buildGroup(const QString& title, int top, const char* const names[5]);

    StatsApi& m_windows;
    std::array<Group, 3> m_groups{};
};

}  // namespace calvex
