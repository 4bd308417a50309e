#pragma once

#include <QPointer>

#include "session/session.h"
#include "ui/stats/avg1.h"
#include "ui/stats/avg2.h"

namespace calvex {

// The statistics windows as the rest of the program reaches them: at most one AVG1 and one AVG2,
// each gone when it closes.
class StatsWindows : public StatsApi {
public:
    explicit StatsWindows(Session& session);
    ~StatsWindows() override;
    StatsWindows(const StatsWindows&) = delete;
    StatsWindows& operator=(const StatsWindows&) = delete;

    void openAvg() override;
    bool visible(bool dual) const override;
    void unload(bool dual) override;
    void closeRunsOfOtherModel() override;

    // The open window of the form, or nullptr.
    AvgWindow* window(bool dual) const;

private:
    Session& m_session;
    QPointer<AVG1> m_avg1;
    QPointer<AVG2> m_avg2;
};

}  // namespace calvex
