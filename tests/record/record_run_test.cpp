#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "record/record_run.h"
#include "support/read_file.h"
#include "support/test_session.h"

namespace calvex {
namespace {

// A dual frame in tenths of a degree C, both channels known, type K.
std::string dualFrame(int t1, int t2) {
    return std::string{'\x02',
                       '\x00',
                       static_cast<char>(t1 >> 8),
                       static_cast<char>(t1 & 0xFF),
                       '\x00',
                       static_cast<char>(t2 >> 8),
                       static_cast<char>(t2 & 0xFF),
                       '\x00',
                       '\x03'};
}
const std::string kFrame("\x02\x00\x00\xFB\x60\x00\x64\x00\x03", 9);        // dual, 25.1 C, T2 "----"
const std::string kSingleFrame("\x02\x01\x03\xE8\xFF\x00\x00\x01\x03", 9);  // single, 100.0 F, type J

using test::readFile;

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// The program's loop on a manual clock: the poll timer every 150 ms, the sample timer every
// 960 ms, and a wake when the poller's wait runs out. While `frame` is set the instrument answers
// every poll with it, through the port's activity as a real line would.
struct RunRig {
    explicit RunRig(std::vector<std::string> extra = {}) {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '-');  // a parameterised test's name
        path = std::filesystem::temp_directory_path() /
               ("calvex-record-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                name + ".txt");
        std::vector<std::string> arguments{"--output", path.string()};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        options = parseRecordOptions(arguments);
    }
    ~RunRig() { std::filesystem::remove(path); }
    void begin() {
        EXPECT_EQ(options.error, "");
        run = std::make_unique<RecordRun>(t.session, options, nullptr);
        ASSERT_TRUE(run->start());
    }
    void advance(int ms) {
        for (int i = 0; i < ms / 10 && !run->finished(); ++i) {
            t.clock.advanceMs(10);
            elapsed += 10;
            if (elapsed % 150 == 0) {
                run->pollTick();
                if (!frame.empty())
                    t.port.feed(frame);
            } else if (run->msUntilPollDeadline() == 0) {
                run->wake();
            }
            if (elapsed % 960 == 0)
                run->sampleTick();
        }
    }
    // Runs until `lines` more lines are on file.
    void advanceLines(long lines) {
        const long target = run->linesWritten() + lines;
        for (int guard = 0; guard < 1000 && run->linesWritten() < target && !run->finished(); ++guard)
            advance(10);
    }

    test::TestSession t;  // the clock starts at 14:05:30
    RecordOptions options;
    std::unique_ptr<RecordRun> run;
    std::filesystem::path path;
    std::string frame = kFrame;
    long elapsed = 0;
};

TEST(RecordRun, SteadyReadingGivesLinesTwoSecondsApart) {
    RunRig rig({"--every", "2"});
    rig.begin();
    rig.advanceLines(3);
    EXPECT_FALSE(rig.run->finished());
    EXPECT_EQ(readFile(rig.path),
              "1\t14:05:32\t25.1\t----\t----\tC\r\n"
              "2\t14:05:34\t25.1\t----\t----\tC\r\n"
              "3\t14:05:36\t25.1\t----\t----\tC\r\n");
}

TEST(RecordRun, SummaryGivesLinesSpanAndEachChannelsFigures) {
    RunRig rig({"--every", "2", "--count", "3"});
    rig.begin();
    const std::pair<int, int> readings[] = {{251, 100}, {263, 95}, {248, 110}};
    for (const auto& [t1, t2] : readings) {
        rig.frame = dualFrame(t1, t2);
        rig.advanceLines(1);
    }
    EXPECT_TRUE(rig.run->finished());
    EXPECT_EQ(rig.run->exitStatus(), RecordRun::kExitOk);
    EXPECT_EQ(readFile(rig.path),
              "1\t14:05:32\t25.1\t10.0\t15.1\tC\r\n"
              "2\t14:05:34\t26.3\t9.5\t16.8\tC\r\n"
              "3\t14:05:36\t24.8\t11.0\t13.8\tC\r\n");
    EXPECT_EQ(rig.run->summary(),
              "calvex-record: 3 lines written to " + rig.path.string() +
                  ", 14:05:32 to 14:05:36 (4 s)\n"
                  "  T1: maximum 26.3 at 14:05:34, minimum 24.8 at 14:05:36, average 25.4 C\n"
                  "  T2: maximum 11.0 at 14:05:36, minimum 9.5 at 14:05:34, average 10.2 C\n"
                  "  T1-T2: maximum 16.8 at 14:05:34, minimum 13.8 at 14:05:36, average 15.2 C\n");
}

TEST(RecordRun, SilenceWritesUnknownReadingsTheStatisticsLeaveOut) {
    RunRig rig({"--every", "2"});
    rig.begin();
    rig.frame = dualFrame(251, 100);
    rig.advanceLines(1);
    rig.frame.clear();  // the instrument stops answering
    rig.advanceLines(3);
    rig.frame = dualFrame(231, 100);
    rig.advance(2000);
    rig.advanceLines(1);
    const std::string file = readFile(rig.path);
    // Four seconds after the last frame the reading is unknown.
    EXPECT_EQ(file,
              "1\t14:05:32\t25.1\t10.0\t15.1\tC\r\n"
              "2\t14:05:34\t25.1\t10.0\t15.1\tC\r\n"
              "3\t14:05:36\t25.1\t10.0\t15.1\tC\r\n"
              "4\t14:05:38\t----\t----\t----\tC\r\n"
              "5\t14:05:40\t23.1\t10.0\t13.1\tC\r\n"
              "6\t14:05:42\t23.1\t10.0\t13.1\tC\r\n")
        << file;
    rig.run->interrupt(SIGTERM);
    EXPECT_EQ(rig.run->summary(),
              "calvex-record: 6 lines written to " + rig.path.string() +
                  ", 14:05:32 to 14:05:42 (10 s)\n"
                  // An unknown line neither holds an extreme nor counts in the average; an equal figure
                  // moves the extreme's time.
                  "  T1: maximum 25.1 at 14:05:36, minimum 23.1 at 14:05:42, average 24.3 C\n"
                  "  T2: maximum 10.0 at 14:05:42, minimum 10.0 at 14:05:42, average 10.0 C\n"
                  "  T1-T2: maximum 15.1 at 14:05:36, minimum 13.1 at 14:05:42, average 14.3 C\n");
}

struct EndCase {
    const char* name;
    std::vector<std::string> arguments;
    int runMs;  // how long the loop runs, or 0 for a signal after three lines
    int signal;
    bool finished;
    int exitStatus;
    long lines;
};

class RecordRunEnds : public ::testing::TestWithParam<EndCase> {};

TEST_P(RecordRunEnds, WithWholeLinesAndItsExitStatus) {
    const EndCase& c = GetParam();
    RunRig rig(c.arguments);
    rig.begin();
    if (c.runMs > 0) {
        rig.advance(c.runMs);
    } else {
        rig.advanceLines(3);
        rig.advance(500);  // between two samples
        rig.run->interrupt(c.signal);
        rig.advance(5000);  // nothing more is written
    }
    EXPECT_EQ(rig.run->finished(), c.finished);
    if (c.finished) {
        EXPECT_EQ(rig.run->exitStatus(), c.exitStatus);
    }
    EXPECT_EQ(rig.run->linesWritten(), c.lines);
    std::string expected;
    for (long n = 1; n <= c.lines; ++n) {
        const int second = 30 + 2 * static_cast<int>(n);
        expected += std::to_string(n) + "\t14:0" + std::to_string(5 + second / 60) + ":" +
                    (second % 60 < 10 ? "0" : "") + std::to_string(second % 60) + "\t25.1\t----\t----\tC\r\n";
    }
    EXPECT_EQ(readFile(rig.path), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordRunEnds,
    ::testing::Values(EndCase{"Count", {"--count", "4"}, 60000, 0, true, RecordRun::kExitOk, 4},
                      EndCase{"CountOfOne", {"--count", "1"}, 60000, 0, true, RecordRun::kExitOk, 1},
                      // Samples at 0.96, 2.88 and 4.80 s; the clock ends it at 5 s.
                      EndCase{"Duration", {"--duration", "5"}, 60000, 0, true, RecordRun::kExitOk, 3},
                      EndCase{"NotYetOver", {"--duration", "5"}, 4990, 0, false, 0, 3},
                      EndCase{"SigTerm", {}, 0, SIGTERM, true, RecordRun::kExitOk, 3},
                      EndCase{"SigInt", {}, 0, SIGINT, true, RecordRun::kExitInterrupted, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecordRun, ModelChangeEndsWithoutALineOfTheNewModel) {
    RunRig rig;
    rig.begin();
    rig.advanceLines(2);
    rig.frame = kSingleFrame;
    rig.advance(10000);
    EXPECT_TRUE(rig.run->finished());
    EXPECT_EQ(rig.run->exitStatus(), RecordRun::kExitModelChanged);
    EXPECT_EQ(readFile(rig.path),
              "1\t14:05:32\t25.1\t----\t----\tC\r\n"
              "2\t14:05:34\t25.1\t----\t----\tC\r\n");
}

TEST(RecordRun, NoReadingNoFile) {
    RunRig rig({"--duration", "3"});
    rig.frame.clear();
    rig.begin();
    rig.advance(10000);
    EXPECT_TRUE(rig.run->finished());
    EXPECT_FALSE(std::filesystem::exists(rig.path));
    EXPECT_EQ(rig.run->summary(), "calvex-record: no line written to " + rig.path.string() + "\n");
}

struct AppendCase {
    const char* name;
    std::string before;
    std::string kept;  // what stays of it
    int firstNumber;
};

class RecordRunAppends : public ::testing::TestWithParam<AppendCase> {};

TEST_P(RecordRunAppends, NumberingFollowsTheLastWholeLine) {
    const AppendCase& c = GetParam();
    RunRig rig({"--append", "--count", "2"});
    writeFile(rig.path, c.before);
    rig.begin();
    rig.advance(60000);
    EXPECT_EQ(rig.run->exitStatus(), RecordRun::kExitOk);
    EXPECT_EQ(readFile(rig.path),
              c.kept + std::to_string(c.firstNumber) + "\t14:05:32\t25.1\t----\t----\tC\r\n" +
                  std::to_string(c.firstNumber + 1) + "\t14:05:34\t25.1\t----\t----\tC\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordRunAppends,
    ::testing::Values(AppendCase{"Whole",
                                 "6\t10:00:00\t1.0\t----\t----\tC\r\n7\t10:00:02\t1.0\t----\t----\tC\r\n",
                                 "6\t10:00:00\t1.0\t----\t----\tC\r\n7\t10:00:02\t1.0\t----\t----\tC\r\n", 8},
                      AppendCase{"TornLastLine", "6\t10:00:00\t1.0\t----\t----\tC\r\n7\t10:00:02\t1.0\t--",
                                 "6\t10:00:00\t1.0\t----\t----\tC\r\n", 7},
                      AppendCase{"OnlyATornLine", "12\t10:00:00\t1.", "", 1}, AppendCase{"Empty", "", "", 1}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace calvex
