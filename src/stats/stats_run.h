#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "instrument/reading_value.h"
#include "stats/update_max_min.h"

namespace calvex {

// What one channel of a statistics window shows, and the sum behind its average.
struct ChannelFigures {
    MaxMinLabels extremes;
    std::string average;
    ReadingValue sum = 0.0;
};

// The statistics of one window since its last Start: one count of ticks shared by all its
// channels (one for the single-input instrument; T1, T2 and T1-T2 for the dual one).
class StatsRun {
public:
    explicit StatsRun(std::size_t channels);

    // Back to nothing counted: count and sums 0, the figures blank; the times of the extremes
    // stay on screen until the next reading moves them.
    void restart();

    // Counts one tick's readings, one per channel in channel order. While the instrument's
    // reading is unknown (before its first frame, "No COM", polling stopped, a stale frame) the
    // readings are Empty; such a tick is not counted and nothing changes.
    // Returns whether the tick was counted.
    bool sample(const std::vector<ReadingValue>& values, const std::string& now);

    long count() const { return m_count; }
    std::size_t channels() const { return m_channels.size(); }
    const ChannelFigures& channel(std::size_t index) const { return m_channels.at(index); }

private:
    long m_count = 0;
    std::vector<ChannelFigures> m_channels;
};

}  // namespace calvex
