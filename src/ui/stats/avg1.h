#pragma once

#include "ui/stats/avg_window.h"

namespace calvex {

// Max / Min / AVG of the single-input instrument.
class AVG1 : public AvgWindow {
    Q_OBJECT
public:
    explicit AVG1(Session& session);

    // Controls, by their design names.
    QLabel* LblMax = nullptr;
    QLabel* LblAVG = nullptr;
    QLabel* LblMin = nullptr;
    QLabel* LblMaxTime = nullptr;
    QLabel* LblMinTime = nullptr;

protected:
    std::vector<ReadingValue> currentValues() const override;
    void showFigures() override;
    void modelChanged() override;

private:
    void Form_Load();
};

}  // namespace calvex
