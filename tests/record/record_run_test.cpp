#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>

#include "record/run_rig.h"

namespace calvex {
namespace {

using namespace test;

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
                  "  no reading: 0 lines (0 s)\n"
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
    // Four seconds after the last frame (14:05:31.95) the reading is unknown.
    EXPECT_EQ(file,
              "1\t14:05:32\t25.1\t10.0\t15.1\tC\r\n"
              "2\t14:05:34\t25.1\t10.0\t15.1\tC\r\n"
              "3\t14:05:36\t----\t----\t----\tC\r\n"
              "4\t14:05:38\t----\t----\t----\tC\r\n"
              "5\t14:05:40\t23.1\t10.0\t13.1\tC\r\n"
              "6\t14:05:42\t23.1\t10.0\t13.1\tC\r\n")
        << file;
    rig.run->interrupt(SIGTERM);
    EXPECT_EQ(rig.run->summary(),
              "calvex-record: 6 lines written to " + rig.path.string() +
                  ", 14:05:32 to 14:05:42 (10 s)\n"
                  "  no reading: 2 lines (4 s)\n"
                  // An unknown line neither holds an extreme nor counts in the average; an equal figure
                  // moves the extreme's time.
                  "  T1: maximum 25.1 at 14:05:34, minimum 23.1 at 14:05:42, average 24.1 C\n"
                  "  T2: maximum 10.0 at 14:05:42, minimum 10.0 at 14:05:42, average 10.0 C\n"
                  "  T1-T2: maximum 15.1 at 14:05:34, minimum 13.1 at 14:05:42, average 14.1 C\n");
}

// A single-input frame: the T1 status byte (its low bits the unit: 0 C, 1 F, 2 K) and tenths.
std::string singleFrame(int status, int tenths) {
    return std::string{'\x02',
                       static_cast<char>(status),
                       static_cast<char>(tenths >> 8),
                       static_cast<char>(tenths & 0xFF),
                       '\xFF',
                       '\x00',
                       '\x00',
                       '\x01',
                       '\x03'};
}

// The unit is changed on the instrument during the run: the figures stay in the first unit.
TEST(RecordRun, SummaryKeepsTheUnitTheRunStartedWith) {
    RunRig rig({"--every", "2", "--count", "9"});
    rig.frame = singleFrame(0, 250);
    rig.begin();
    rig.advanceLines(3);
    rig.frame = singleFrame(1, 250);
    rig.advanceLines(3);
    rig.advanceLines(3);
    EXPECT_TRUE(rig.run->finished());
    const std::string file = readFile(rig.path);
    EXPECT_NE(file.find("3\t14:05:36\t25.0\tC\r\n4\t14:05:38\t25.0\tF\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("9\t14:05:48\t25.0\tF\r\n"), std::string::npos) << file;
    // 25.0 F is -3.9 C; an extreme moves on a figure past the one it shows, as in the statistics
    // windows.
    EXPECT_EQ(rig.run->summary(),
              "calvex-record: 9 lines written to " + rig.path.string() +
                  ", 14:05:32 to 14:05:48 (16 s)\n"
                  "  no reading: 0 lines (0 s)\n"
                  "  T1: maximum 25.0 at 14:05:36, minimum -3.9 at 14:05:38, average 5.7 C\n");
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
                      EndCase{"Duration", {"--duration", "5"}, 60000, 0, true, RecordRun::kExitOk, 2},
                      EndCase{"NotYetOver", {"--duration", "5"}, 4990, 0, false, 0, 2},
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

const std::string kDual6 = "6\t10:00:00\t1.0\t----\t----\tC";
const std::string kDual7 = "7\t10:00:02\t1.0\t----\t----\tC";

struct AppendCase {
    const char* name;
    std::string before;
    std::string kept;  // what stays of it
    const char* lineEnd;
    std::int64_t firstNumber;  // 0: refused, nothing written
    int exitStatus;
    std::string said;  // the message and its details ("" for none), "@" standing for the path
};

class RecordRunAppends : public ::testing::TestWithParam<AppendCase> {};

TEST_P(RecordRunAppends, KeepsEveryWholeRecordAndRefusesWhatIsNotOurs) {
    const AppendCase& c = GetParam();
    RunRig rig({"--append", "--count", "2"});
    writeFile(rig.path, c.before);
    rig.begin();
    rig.advance(60000);
    EXPECT_TRUE(rig.run->finished());
    EXPECT_EQ(rig.run->exitStatus(), c.exitStatus);
    std::string expected = c.kept;
    if (c.firstNumber > 0) {
        expected += std::to_string(c.firstNumber) + "\t14:05:32\t25.1\t----\t----\tC" + c.lineEnd +
                    std::to_string(c.firstNumber + 1) + "\t14:05:34\t25.1\t----\t----\tC" + c.lineEnd;
    }
    EXPECT_EQ(readFile(rig.path), expected);
    std::string said;
    for (const auto& m : rig.t.dialogs.messages)
        said += m.text + (m.details.empty() ? "" : " (" + m.details + ")") + "\n";
    std::string wanted = c.said.empty() ? "" : c.said + "\n";
    for (std::size_t at; (at = wanted.find('@')) != std::string::npos;)
        wanted.replace(at, 1, rig.path.string());
    EXPECT_EQ(said, wanted);
}

std::string binaryBytes() {
    std::string bytes;
    for (int i = 0; i < 3000; ++i)
        bytes += static_cast<char>((i * 37 + 11) % 256);
    return bytes;
}

const std::string kNotOurs =
    "The file is not a data file of this program and has not been changed:\n@\n\n"
    "Recording has not started. (";

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordRunAppends,
    ::testing::Values(
        AppendCase{"Whole", kDual6 + "\r\n" + kDual7 + "\r\n", kDual6 + "\r\n" + kDual7 + "\r\n", "\r\n", 8,
                   RecordRun::kExitOk, ""},
        AppendCase{"LineEndsLF", kDual6 + "\n" + kDual7 + "\n", kDual6 + "\n" + kDual7 + "\n", "\n", 8,
                   RecordRun::kExitOk, ""},
        AppendCase{"LineEndsCR", kDual6 + "\r" + kDual7 + "\r", kDual6 + "\r" + kDual7 + "\r", "\r", 8,
                   RecordRun::kExitOk, ""},
        AppendCase{"SavedFromAList", kDual6 + "\t\r\n", kDual6 + "\t\r\n", "\r\n", 7, RecordRun::kExitOk, ""},
        AppendCase{"WholeLastRecordWithoutLineEnd", kDual6 + "\n" + kDual7, kDual6 + "\n" + kDual7 + "\n",
                   "\n", 8, RecordRun::kExitOk, ""},
        AppendCase{"TornLastLine", kDual6 + "\r\n7\t10:00:02\t1.0\t--", kDual6 + "\r\n", "\r\n", 7,
                   RecordRun::kExitOk,
                   "The torn last line was cut off the file:\n@\n\n17 bytes: \"7\\t10:00:02\\t1.0\\t--\""},
        AppendCase{"TornLastLineEndsCR", kDual6 + "\r7\t10:0", kDual6 + "\r", "\r", 7, RecordRun::kExitOk,
                   "The torn last line was cut off the file:\n@\n\n6 bytes: \"7\\t10:0\""},
        AppendCase{"OnlyATornLine", "12\t10:00:00\t1.", "", "\r\n", 1, RecordRun::kExitOk,
                   "The torn last line was cut off the file:\n@\n\n14 bytes: \"12\\t10:00:00\\t1.\""},
        AppendCase{"Empty", "", "", "\r\n", 1, RecordRun::kExitOk, ""},
        AppendCase{"NumberPastSinglePrecision", "16777216\t10:00:00\t1.0\t----\t----\tC\r\n",
                   "16777216\t10:00:00\t1.0\t----\t----\tC\r\n", "\r\n", 16777217, RecordRun::kExitOk, ""},
        AppendCase{"TextFile", "Dear all,\nthe lab is closed.", "Dear all,\nthe lab is closed.", "", 0,
                   RecordRun::kExitError, kNotOurs + "Line 1 is not a record of this program's data.)"},
        AppendCase{"TextAfterRecords", kDual6 + "\r\nnotes", kDual6 + "\r\nnotes", "", 0,
                   RecordRun::kExitError, kNotOurs + "Line 2 is not a record of dual-input data.)"},
        AppendCase{"Binary", binaryBytes(), binaryBytes(), "", 0, RecordRun::kExitError,
                   kNotOurs + "Line 1 is not a record of this program's data.)"},
        AppendCase{
            "SingleInputFile", "1\t10:00:00\t1.0\tC\r\n", "1\t10:00:00\t1.0\tC\r\n", "", 0,
            RecordRun::kExitModelChanged,
            "The file holds data of the other instrument model and has not been changed:\n@\n\n"
            "Recording has not started. (It holds single-input data and the instrument is dual-input.)"},
        AppendCase{"NumberOutOfRange", "99999999999999999999999\t10:00:00\t1.0\t----\t----\tC\r\n",
                   "99999999999999999999999\t10:00:00\t1.0\t----\t----\tC\r\n", "", 0, RecordRun::kExitError,
                   kNotOurs + "The number of line 1 is too large to be continued.)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecordRun, AppendRefusesAPipeWithoutWaitingForAWriter) {
    RunRig rig({"--append", "--count", "2"});
    ASSERT_EQ(::mkfifo(rig.path.c_str(), 0600), 0);
    rig.begin();
    rig.advance(60000);
    EXPECT_EQ(rig.run->exitStatus(), RecordRun::kExitError);
    ASSERT_EQ(rig.t.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.t.dialogs.messages[0].text, "The file could not be opened for recording:\n" +
                                                  rig.path.string() + "\n\nRecording has not started.");
    EXPECT_EQ(rig.t.dialogs.messages[0].details, "It is a pipe (FIFO), not a regular file.");
}

}  // namespace
}  // namespace calvex
