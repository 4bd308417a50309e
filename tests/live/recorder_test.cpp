#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "live/recorder.h"
#include "support/read_file.h"
#include "support/test_session.h"

namespace calvex {
namespace {

struct FakeRecordingView : RecordingView {
    std::string labelT1() const override { return t1; }
    std::string labelT2() const override { return t2; }
    std::string labelT1T2() const override { return t1t2; }
    void setRecordingFace(bool recording) override { stopFace = recording; }
    void setFileNameText(const std::string& text) override { fileName = text; }
    void setCountText(const std::string& text) override { count = text; }
    void setRecText(const std::string& text) override { rec = text; }
    void setRecVisible(bool visible) override { recVisible = visible; }

    std::string t1 = "23.4", t2 = "25.1", t1t2 = "-1.7";
    bool stopFace = false;
    std::string fileName, count, rec;
    bool recVisible = false;
};

using test::readFile;

struct RecorderRig {
    RecorderRig() {
        session.state.SampleTime = "14:05:30";
        session.state.DualModel = true;
        session.state.Unit = "C";
        session.state.ReadingKnown = true;
        path = std::filesystem::temp_directory_path() /
               ("calvex-rec-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt");
    }
    ~RecorderRig() { std::filesystem::remove(path); }
    void startRecording(const std::string& file) {
        t.dialogs.saveAnswers.push_back(file);
        recorder.toggle();
    }
    test::TestSession t;
    Session& session = t.session;
    FakeRecordingView view;
    Recorder recorder{session, view};
    std::filesystem::path path;
};

TEST(Recorder, WritesOneFlushedLinePerDueSampleWithTheSampleClock) {
    RecorderRig rig;
    rig.startRecording(rig.path.string());
    EXPECT_TRUE(rig.session.state.RecordingOn);
    EXPECT_TRUE(rig.view.stopFace);
    EXPECT_TRUE(rig.view.recVisible);
    EXPECT_EQ(rig.view.fileName, rig.path.filename().string());
    EXPECT_EQ(readFile(rig.path), "");  // nothing is written at once

    // Period 2: a sample on every second tick, the stamps two seconds apart.
    for (int i = 0; i < 5; ++i)
        rig.recorder.Timer2_Timer();
    // Each line is on disk as soon as it is written, before the file is closed.
    EXPECT_EQ(readFile(rig.path),
              "1\t14:05:32\t23.4\t25.1\t-1.7\tC\r\n"
              "2\t14:05:34\t23.4\t25.1\t-1.7\tC\r\n"
              "3\t14:05:36\t23.4\t25.1\t-1.7\tC\r\n");
    EXPECT_EQ(rig.view.count, "3");
    EXPECT_EQ(rig.view.rec, "Rec");

    rig.recorder.toggle();  // the user stops
    EXPECT_FALSE(rig.session.state.RecordingOn);
    EXPECT_FALSE(rig.view.stopFace);
    EXPECT_FALSE(rig.view.recVisible);
    EXPECT_EQ(rig.view.count, "");
    EXPECT_EQ(rig.view.fileName, "");
    EXPECT_FALSE(rig.session.FileChosen);
}

TEST(Recorder, SampleSpacingAndStamps) {
    struct Case {
        float period;
        int ticks;
        int samples;
        const char* lastStamp;
    };
    const Case cases[] = {
        {2, 7, 4, "14:05:38"},
        {1, 3, 3, "14:05:33"},
        {40000, 40002, 2, "12:18:50"},  // 14:05:30 + 2 x 40000 s, across midnight
        {86400, 86402, 2, "14:05:30"},  // a whole day: advanced twice, the same time of day
    };
    for (const Case& c : cases) {
        RecorderRig rig;
        rig.session.state.SampleSeconds = c.period;
        rig.startRecording(rig.path.string());
        for (int i = 0; i < c.ticks; ++i)
            rig.recorder.Timer2_Timer();
        EXPECT_EQ(rig.session.RecordCount, c.samples) << c.period;
        EXPECT_EQ(rig.session.state.SampleTime, c.lastStamp) << c.period;
    }
}

// A recording with no line limit (calvex-record) that has written 16,777,216 lines, the last count
// a single-precision number holds exactly.
TEST(Recorder, LineNumbersKeepRisingPastSixteenMillion) {
    test::TestSession t;
    t.session.state.SampleTime = "14:05:30";
    t.session.state.SampleSeconds = 1;
    t.session.state.Unit = "C";
    t.session.state.ReadingKnown = true;
    FakeRecordingView view;
    Recorder recorder(t.session, view, Recorder::kNoLineLimit);
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("calvex-rec-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-16M.txt");
    ASSERT_TRUE(recorder.startFile(path.string()));
    t.session.RecordCount = 16'777'216;
    recorder.Timer2_Timer();
    recorder.Timer2_Timer();
    EXPECT_EQ(readFile(path), "16777217\t14:05:31\t23.4\tC\r\n16777218\t14:05:32\t23.4\tC\r\n");
    EXPECT_EQ(view.count, "16777218");
    recorder.toggle();
    std::filesystem::remove(path);
}

TEST(Recorder, StopsAtTheLineLimitWithoutWritingOneMore) {
    RecorderRig rig;
    rig.session.state.SampleSeconds = 1;
    rig.session.state.DualModel = false;
    rig.startRecording(rig.path.string());
    for (int i = 0; i < 58300; ++i)
        rig.recorder.Timer2_Timer();
    EXPECT_TRUE(rig.session.state.RecordingOn);
    EXPECT_EQ(rig.view.count, "58300");
    rig.recorder.Timer2_Timer();
    EXPECT_FALSE(rig.session.state.RecordingOn);
    EXPECT_EQ(rig.view.count, "");
    EXPECT_EQ(rig.view.fileName, rig.path.filename().string());  // kept until the next tick
    const std::string bytes = readFile(rig.path);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 58300);
    EXPECT_EQ(bytes.substr(bytes.rfind('\n', bytes.size() - 2) + 1).substr(0, 6), "58300\t");
    rig.recorder.Timer2_Timer();
    EXPECT_EQ(rig.view.fileName, "");
}

TEST(Recorder, ModelChangeStopsWithoutALineOfTheNewModel) {
    RecorderRig rig;
    rig.startRecording(rig.path.string());
    rig.recorder.Timer2_Timer();
    rig.session.state.DualModel = false;
    rig.session.state.Unit = "F";
    rig.recorder.Timer2_Timer();
    rig.recorder.Timer2_Timer();
    EXPECT_FALSE(rig.session.state.RecordingOn);
    EXPECT_EQ(readFile(rig.path), "1\t14:05:32\t23.4\t25.1\t-1.7\tC\r\n");
    ASSERT_EQ(rig.t.dialogs.messages.size(), 1u);  // the recording does not end without a word
    EXPECT_EQ(rig.t.dialogs.messages[0].text, "Recording stopped: the instrument's model changed.\n" +
                                                  rig.path.string() + "\n\nThe file holds 1 line.");
}

TEST(Recorder, AnUnknownReadingIsRecordedAsNoValue) {
    RecorderRig rig;
    rig.startRecording(rig.path.string());
    rig.recorder.Timer2_Timer();
    rig.session.state.ReadingKnown = false;  // "No COM", or polling stopped
    rig.recorder.Timer2_Timer();
    rig.recorder.Timer2_Timer();
    rig.session.state.ReadingKnown = true;
    rig.recorder.Timer2_Timer();
    rig.recorder.Timer2_Timer();
    EXPECT_EQ(readFile(rig.path),
              "1\t14:05:32\t23.4\t25.1\t-1.7\tC\r\n"
              "2\t14:05:34\t----\t----\t----\tC\r\n"
              "3\t14:05:36\t23.4\t25.1\t-1.7\tC\r\n");
}

TEST(Recorder, AFileThatCannotBeOpenedIsReportedAndNothingStarts) {
    RecorderRig rig;
    rig.startRecording("/nonexistent-folder/rec.txt");
    EXPECT_FALSE(rig.session.state.RecordingOn);
    EXPECT_FALSE(rig.view.stopFace);
    ASSERT_EQ(rig.t.dialogs.messages.size(), 1u);
    EXPECT_NE(rig.t.dialogs.messages[0].text.find("/nonexistent-folder/rec.txt"), std::string::npos);
    EXPECT_EQ(rig.t.dialogs.messages[0].style, 16);
    EXPECT_FALSE(rig.t.dialogs.messages[0].details.empty());
}

TEST(Recorder, AFailedWriteStopsTheRecordingAndSaysWhatTheFileHolds) {
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    RecorderRig rig;
    rig.startRecording("/dev/full");
    rig.recorder.Timer2_Timer();
    EXPECT_FALSE(rig.session.state.RecordingOn);
    EXPECT_FALSE(rig.view.stopFace);
    ASSERT_EQ(rig.t.dialogs.messages.size(), 1u);
    EXPECT_NE(rig.t.dialogs.messages[0].text.find("/dev/full"), std::string::npos);
    EXPECT_NE(rig.t.dialogs.messages[0].text.find("holds 0 lines"), std::string::npos);
    EXPECT_EQ(rig.session.SampleTicks, 1);
}

// A disk that fills mid-line: the kernel takes what fits and the rest of the line fails. The
// file size limit makes that happen at a chosen byte.
TEST(Recorder, AShortWriteLeavesOnlyWholeLines) {
    struct FileSizeLimit {
        explicit FileSizeLimit(rlim_t bytes) {
            ::getrlimit(RLIMIT_FSIZE, &saved);
            previous = std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit = saved;
            limit.rlim_cur = bytes;
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        ~FileSizeLimit() {
            ::setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, previous);
        }
        rlimit saved{};
        void (*previous)(int) = nullptr;
    };
    const std::string line1 = "1\t14:05:32\t23.4\t25.1\t-1.7\tC\r\n";
    const std::string line2 = "2\t14:05:34\t23.4\t25.1\t-1.7\tC\r\n";
    RecorderRig rig;
    rig.startRecording(rig.path.string());
    {
        const FileSizeLimit limit(line1.size() + line2.size() + 20);  // line 3 is torn after 20 bytes
        for (int i = 0; i < 7; ++i)
            rig.recorder.Timer2_Timer();
    }
    EXPECT_FALSE(rig.session.state.RecordingOn);
    EXPECT_EQ(readFile(rig.path), line1 + line2);
    ASSERT_EQ(rig.t.dialogs.messages.size(), 1u);
    EXPECT_NE(rig.t.dialogs.messages[0].text.find("The file holds 2 lines."), std::string::npos);
    EXPECT_EQ(rig.t.dialogs.messages[0].text.find("incomplete"), std::string::npos);
}

// The box of a failed write does not hold the sampling timer: the ticks after it go on sampling
// into the list, each at its own time, and no line is written after the failure.
TEST(Recorder, TheWriteFailureBoxLeavesTheSamplingGoingOn) {
    RecorderRig rig;
    std::vector<std::string> rows;
    struct Lists : ListsApi {
        explicit Lists(std::vector<std::string>& out) : rows(out) {}
        TableWindow* window(ListKind, bool) override { return nullptr; }
        TableWindow* show(ListKind, bool) override { return nullptr; }
        void unload(ListKind, bool) override {}
        void appendRealTimeRow(const std::string& row) override { rows.push_back(row); }
        std::vector<std::string>& rows;
    } lists{rows};
    rig.session.lists = &lists;
    rig.session.ListOpen = true;
    rig.startRecording("/dev/full");
    for (int i = 0; i < 5; ++i)
        rig.recorder.Timer2_Timer();
    EXPECT_FALSE(rig.session.state.RecordingOn);
    EXPECT_EQ(rig.t.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.t.dialogs.notices, 1);
    EXPECT_EQ(rows,
              (std::vector<std::string>{"14:05:32\t23.4\t25.1\t-1.7\tC", "14:05:34\t23.4\t25.1\t-1.7\tC",
                                        "14:05:36\t23.4\t25.1\t-1.7\tC"}));
}

TEST(Recorder, CancelledDialogChangesNothing) {
    RecorderRig rig;
    rig.startRecording("");
    EXPECT_FALSE(rig.session.state.RecordingOn);
    EXPECT_FALSE(rig.session.FileChosen);
    EXPECT_TRUE(rig.t.dialogs.messages.empty());
}

}  // namespace
}  // namespace calvex
