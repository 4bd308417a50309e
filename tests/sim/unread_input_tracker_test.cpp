#include "unread_input_tracker.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace calvex::sim {
namespace {

// One check: bytes written before it, bytes waiting at it, and the expected discard.
struct Step {
    std::size_t written;
    std::size_t unread;
    std::size_t discard;
};

struct TrackerCase {
    const char* name;
    std::vector<Step> steps;
};

void PrintTo(const TrackerCase& c, std::ostream* out) {
    *out << c.name;
}

class UnreadInputTrackerTable : public testing::TestWithParam<TrackerCase> {};

TEST_P(UnreadInputTrackerTable, DiscardsOnlyWhatNobodyRead) {
    UnreadInputTracker tracker;
    std::size_t index = 0;
    for (const Step& step : GetParam().steps) {
        tracker.wrote(step.written);
        EXPECT_EQ(tracker.check(step.unread), step.discard) << "step " << index;
        ++index;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnreadInputTrackerTable,
    testing::Values(TrackerCase{"NothingWritten", {{0, 0, 0}, {0, 0, 0}}},
                    // Frames pile up: the ones waiting at the previous check go, the new ones stay.
                    TrackerCase{"NobodyReads", {{9, 9, 0}, {9, 18, 9}, {9, 18, 9}, {9, 18, 9}}},
                    TrackerCase{"ReaderKeepsUp", {{9, 0, 0}, {9, 0, 0}, {9, 2, 0}, {9, 0, 0}}},
                    TrackerCase{"ReaderLagsButReads", {{9, 9, 0}, {9, 10, 0}, {9, 12, 0}}},
                    TrackerCase{"ReaderStopsReading", {{9, 0, 0}, {9, 9, 0}, {9, 18, 9}}},
                    // Bytes written but not visible yet look like reading: no discard until proven.
                    TrackerCase{"LateArrival", {{9, 9, 0}, {9, 9, 0}, {0, 18, 9}}},
                    TrackerCase{"FullBuffer", {{4096, 4095, 4095}, {100, 100, 0}}}),
    [](const testing::TestParamInfo<TrackerCase>& param_info) { return std::string(param_info.param.name); });

TEST(UnreadInputTracker, DiscardingLessThanAskedKeepsTheCountSane) {
    UnreadInputTracker tracker;
    tracker.wrote(50);
    EXPECT_EQ(tracker.check(50), 0u);
    EXPECT_EQ(tracker.check(50), 50u);
    tracker.discarded_less(50);
    tracker.wrote(9);
    EXPECT_EQ(tracker.check(9), 0u);
}

}  // namespace
}  // namespace calvex::sim
