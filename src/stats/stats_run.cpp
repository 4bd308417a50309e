#include "stats/stats_run.h"

#include "stats/running_sum.h"

namespace calvex {

StatsRun::StatsRun(std::size_t channels) : m_channels(channels) {}

void StatsRun::restart() {
    m_count = 0;
    for (ChannelFigures& figures : m_channels) {
        figures.sum = 0.0;
        figures.extremes.max.clear();
        figures.extremes.min.clear();
        figures.average.clear();
    }
}

bool StatsRun::sample(const std::vector<ReadingValue>& values, const std::string& now) {
    if (values.size() < m_channels.size())
        return false;
    for (std::size_t i = 0; i < m_channels.size(); ++i) {
        if (values[i].isEmpty())
            return false;
    }
    // The count goes up before any average is taken, so the division never meets 0.
    ++m_count;
    for (std::size_t i = 0; i < m_channels.size(); ++i) {
        ChannelFigures& figures = m_channels[i];
        UpdateMaxMin(values[i], figures.extremes.max, figures.extremes.min, figures.extremes, now);
    }
    for (std::size_t i = 0; i < m_channels.size(); ++i) {
        ChannelFigures& figures = m_channels[i];
        figures.sum = addToSum(figures.sum, values[i]);
        figures.average = averageOf(figures.sum, m_count).format("0.0");
    }
    return true;
}

}  // namespace calvex
