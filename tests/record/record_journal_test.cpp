#include "record/record_journal.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/manual_clock.h"

namespace calvex {
namespace {

// A step of a run: the milliseconds since the last step, then what the run sees or does.
struct Step {
    int afterMs;
    enum { Port, Reading, Cut, Tick } what;
    bool state = false;
    std::uint64_t bytes = 0;
};

struct JournalCase {
    const char* name;
    std::vector<Step> steps;
    std::string journal;
};

class RecordJournalTells : public ::testing::TestWithParam<JournalCase> {};

TEST_P(RecordJournalTells, OneDatedLineAChangeAtMostOneASecond) {
    const JournalCase& c = GetParam();
    test::ManualClock clock;  // 2026-12-08 14:05:30
    std::string out;
    RecordJournal journal(clock, [&out](const std::string& line) { out += line; });
    const LocalDateTime since{2026, 12, 8, 14, 5, 28, 0};
    for (const Step& s : c.steps) {
        clock.advanceMs(s.afterMs);
        switch (s.what) {
            case Step::Port:
                journal.port(s.state, "Resource temporarily unavailable");
                break;
            case Step::Reading:
                journal.reading(s.state, since);
                break;
            case Step::Cut:
                journal.fileCutBack(s.bytes);
                break;
            case Step::Tick:
                journal.tick();
                break;
        }
    }
    EXPECT_EQ(out, c.journal);
}

constexpr auto kPort = Step::Port;
constexpr auto kReading = Step::Reading;
constexpr auto kTick = Step::Tick;

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordJournalTells,
    ::testing::Values(
        JournalCase{"NothingChanges", {{0, kPort, true}, {0, kReading, true}, {5000, kTick}}, ""},
        JournalCase{"ReadingLostAndBack",
                    {{0, kReading, false}, {3000, kReading, true}},
                    "2026-12-08T14:05:30 calvex-record: reading unknown since 2026-12-08T14:05:28\n"
                    "2026-12-08T14:05:33 calvex-record: reading back\n"},
        JournalCase{"PortLostAndReopened",
                    {{0, kPort, false},
                     {0, kReading, false},
                     {1500, kTick},
                     {2000, kPort, true},
                     {0, kReading, true},
                     {1000, kTick}},
                    "2026-12-08T14:05:30 calvex-record: port lost: Resource temporarily unavailable\n"
                    "2026-12-08T14:05:31 calvex-record: reading unknown since 2026-12-08T14:05:28\n"
                    "2026-12-08T14:05:33 calvex-record: port reopened\n"
                    "2026-12-08T14:05:34 calvex-record: reading back\n"},
        // A change within the second waits for the first tick after it.
        JournalCase{
            "HeldForASecond",
            {{0, kReading, false}, {200, kReading, true}, {0, kReading, false}, {700, kTick}, {150, kTick}},
            "2026-12-08T14:05:30 calvex-record: reading unknown since 2026-12-08T14:05:28\n"
            "2026-12-08T14:05:31 calvex-record: reading back and unknown again 1 time\n"},
        JournalCase{"FlappingPortIsOneLineASecond",
                    {{0, kPort, false},
                     {100, kPort, true},
                     {100, kPort, false},
                     {100, kPort, true},
                     {100, kPort, false},
                     {100, kPort, true},
                     {100, kPort, false},
                     {400, kTick},
                     {100, kTick},
                     {200, kPort, true},
                     {300, kTick},
                     {900, kTick}},
                    "2026-12-08T14:05:30 calvex-record: port lost: Resource temporarily unavailable\n"
                    "2026-12-08T14:05:31 calvex-record: port reopened and lost again 3 times\n"
                    "2026-12-08T14:05:32 calvex-record: port reopened\n"},
        JournalCase{"CutFirst",
                    {{0, Step::Cut, false, 17}, {0, kReading, false}, {1000, kTick}},
                    "2026-12-08T14:05:30 calvex-record: file cut back by 17 bytes (a torn last line)\n"
                    "2026-12-08T14:05:31 calvex-record: reading unknown since 2026-12-08T14:05:28\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace calvex
