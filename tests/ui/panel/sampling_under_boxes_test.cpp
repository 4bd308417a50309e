#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <filesystem>
#include <string>
#include <vector>

#include "instrument/text_format.h"
#include "live/recorder.h"
#include "session/session.h"
#include "support/fake_printer.h"
#include "support/fake_serial_link.h"
#include "support/manual_clock.h"
#include "support/read_file.h"
#include "ui/common/qt_dialogs.h"
#include "ui/lists/list_windows.h"

namespace calvex {
namespace {

struct LabelsView : RecordingView {
    std::string labelT1() const override { return "23.4"; }
    std::string labelT2() const override { return "25.1"; }
    std::string labelT1T2() const override { return "-1.7"; }
    void setRecordingFace(bool) override {}
    void setFileNameText(const std::string&) override {}
    void setCountText(const std::string&) override {}
    void setRecText(const std::string&) override {}
    void setRecVisible(bool) override {}
};

std::vector<QMessageBox*> openBoxes() {
    std::vector<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box != nullptr && box->isVisible())
            boxes.push_back(box);
    return boxes;
}

// The program's real message boxes over a recording and a Real Time List, the sampling timer
// ticking once a second.
struct BoxRig {
    BoxRig() {
        session.state.SampleTime = "02:59:30";
        session.state.SampleSeconds = 1;
        session.state.DualModel = true;
        session.state.Unit = "C";
        session.state.ReadingKnown = true;
        session.lists = &lists;
        path = std::filesystem::temp_directory_path() /
               ("calvex-boxes-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt");
        std::filesystem::remove(path);
    }
    ~BoxRig() {
        for (QMessageBox* box : openBoxes())
            box->done(QMessageBox::Ok);
        std::filesystem::remove(path);
    }
    void tick() {
        clock.advanceSeconds(1);
        recorder.Timer2_Timer();
    }
    test::FakeSerialLink port;
    test::ManualClock clock;
    QtDialogs dialogs;
    test::FakePrinter printer;
    Session session{port, clock, dialogs, printer};
    ListWindows lists{session};
    LabelsView view;
    Recorder recorder{session, view, Recorder::kNoLineLimit};
    std::filesystem::path path;
};

// The list fills at 03:00 while a recording runs; its box is left up for ten minutes. The
// recording goes on under it: every second has its line, numbered on, stamped with its own time.
TEST(SamplingUnderABox, ARecordingKeepsEveryLineWhileTheFullListBoxStaysUp) {
    BoxRig rig;
    rig.lists.show(ListKind::RealTime, true);
    rig.session.ListOpen = true;
    rig.session.ListCount = ListWindows::kRowLimit - 30;  // the list fills at 03:00:00
    ASSERT_TRUE(rig.recorder.startFile(rig.path.string()));

    const int seconds = 30 + 600;
    for (int i = 0; i < seconds; ++i)
        rig.tick();

    const std::vector<QMessageBox*> boxes = openBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]->text().toStdString().rfind("The Real Time List is full", 0), 0u);
    EXPECT_TRUE(rig.session.state.RecordingOn);

    std::string expected;
    for (int n = 1; n <= seconds; ++n)
        expected += std::to_string(n) + "\t" + formatTimeOfDay(parseTimeOfDay("02:59:30").value() + n) +
                    "\t23.4\t25.1\t-1.7\tC\r\n";
    EXPECT_EQ(test::readFile(rig.path), expected);

    boxes[0]->button(QMessageBox::Ok)->click();
    EXPECT_TRUE(openBoxes().empty());
    rig.tick();
    EXPECT_EQ(rig.session.RecordCount, seconds + 1);
}

// A recording that stops on its own (the instrument's model changed) says so in a box that does
// not hold the tick: the Real Time List of the new model goes on taking rows under it.
TEST(SamplingUnderABox, TheRecordingsStopBoxLeavesTheListSampling) {
    BoxRig rig;
    ASSERT_TRUE(rig.recorder.startFile(rig.path.string()));
    rig.tick();
    rig.session.state.DualModel = false;
    rig.lists.show(ListKind::RealTime, false);
    rig.session.ListOpen = true;
    for (int i = 0; i < 5; ++i)
        rig.tick();
    const std::vector<QMessageBox*> boxes = openBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]->text().toStdString().rfind("Recording stopped: the instrument's model changed.", 0),
              0u);
    EXPECT_FALSE(rig.session.state.RecordingOn);
    EXPECT_EQ(rig.session.ListCount, 5);
    EXPECT_EQ(test::readFile(rig.path), "1\t02:59:31\t23.4\t25.1\t-1.7\tC\r\n");
}

// The close question of a recording panel asks with No as the default: Enter presses the default.
TEST(SamplingUnderABox, AQuestionsEnterKeyGivesTheAnswerAskedFor) {
    for (const bool defaultYes : {false, true}) {
        QtDialogs dialogs;
        QMessageBox* shown = nullptr;
        QMetaObject::invokeMethod(
            qApp,
            [&] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* box = qobject_cast<QMessageBox*>(w); box != nullptr && box->isVisible()) {
                        shown = box;
                        box->defaultButton()->click();
                    }
            },
            Qt::QueuedConnection);
        const bool yes =
            dialogs.question("A recording is running. Stop it and close the program?", {}, defaultYes);
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(yes, defaultYes);
    }
}

}  // namespace
}  // namespace calvex
