#include <gtest/gtest.h>
#include <QAccessible>
#include <QCoreApplication>
#include <QGroupBox>
#include <QPalette>

#include "support/fake_panel.h"
#include "support/test_session.h"
#include "ui/graph/graph_windows.h"
#include "ui/stats/stats_windows.h"

namespace calvex {
namespace {

class AvgWindowsTest : public ::testing::Test {
protected:
    AvgWindowsTest() {
        session.stats = &windows;
        session.panel = &panel;
        state.Unit = "C";
        state.TcType = "K";
        state.ReadingKnown = true;
    }
    ~AvgWindowsTest() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    QString text(bool dual, const char* name) const {
        const QLabel* label = windows.window(dual)->findChild<QLabel*>(name);
        return label != nullptr ? label->text() : QString("<no %1>").arg(name);
    }
    QString text(const char* name) const { return text(false, name); }
    // One tick one second after the last.
    void tick(bool dual = false) {
        ts.clock.advanceSeconds(1);
        windows.window(dual)->Timer1_Timer();
    }
    void readC(const ReadingValue& t1) {
        state.T1C = t1;
        state.T1F = t1.isNumber() ? ReadingValue(t1.number() * 1.8 + 32) : t1;
        state.T1K = t1.isNumber() ? ReadingValue(t1.number() + 273.2) : t1;
    }

    test::TestSession ts;
    Session& session = ts.session;
    InstrumentState& state = ts.session.state;
    test::FakePanel panel;
    StatsWindows windows{ts.session};
};

TEST_F(AvgWindowsTest, OpeningShowsTheSingleWindowWithUnitTypeAndStartTime) {
    windows.openAvg();
    AvgWindow* w = windows.window(false);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(windows.window(true), nullptr);
    EXPECT_TRUE(windows.visible(false));
    EXPECT_EQ(w->windowTitle(), "Max / Min / AVG");
    EXPECT_TRUE(state.AvgOpen);
    EXPECT_TRUE(state.AvgRunning);
    EXPECT_EQ(w->UnitAtStart, ReadingValue("C"));
    EXPECT_FALSE(w->DualModelAtStart);
    EXPECT_EQ(text("LblUnit"), "C");
    EXPECT_EQ(text("LblType"), "K");
    EXPECT_EQ(text("LblStartTime"), "14:05:30");
    EXPECT_EQ(w->findChild<QPushButton*>("CmdStartStop")->text(), "Stop");
    const QTimer* timer = w->findChild<QTimer*>("Timer1");
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 1000);
    // Just right of the panel, level with its top.
    const QRect panelFrame = panel.window.frameGeometry();
    EXPECT_EQ(w->pos(), QPoint(panelFrame.x() + panelFrame.width(), panelFrame.y()));
}

TEST_F(AvgWindowsTest, WindowsHaveTheirDesignGeometry) {
    windows.openAvg();
    AvgWindow* single = windows.window(false);
    EXPECT_EQ(single->size(), QSize(295, 136));
    EXPECT_EQ(single->CmdStartStop->geometry(), QRect(232, 80, 57, 49));
    const QLabel* max = single->findChild<QLabel*>("LblMax");
    EXPECT_EQ(max->geometry().topLeft(), QPoint(8, 27));
    EXPECT_EQ(max->width(), 57);
    EXPECT_TRUE(max->font().bold());
    EXPECT_EQ(max->font().pointSize(), 12);
    EXPECT_EQ(max->palette().color(QPalette::Window), QColor(255, 255, 0));
    single->close();

    state.DualModel = true;
    windows.openAvg();
    AvgWindow* dual = windows.window(true);
    ASSERT_NE(dual, nullptr);
    EXPECT_EQ(dual->size(), QSize(337, 271));
    EXPECT_EQ(dual->CmdStartStop->geometry(), QRect(240, 232, 89, 33));
    QStringList groups;
    for (const QGroupBox* box : dual->findChildren<QGroupBox*>())
        groups << box->title();
    EXPECT_EQ(groups, QStringList({"T1", "T2", "T1-T2"}));
}

TEST_F(AvgWindowsTest, FirstTickShowsTheReadingAsMaximumMinimumAndAverage) {
    readC(21.3);
    windows.openAvg();
    tick();
    EXPECT_EQ(text("LblMax"), "21.3");
    EXPECT_EQ(text("LblMin"), "21.3");
    EXPECT_EQ(text("LblAVG"), "21.3");
    EXPECT_EQ(text("LblMaxTime"), "14:05:31");
    EXPECT_EQ(text("LblMinTime"), "14:05:31");
    EXPECT_EQ(text("LblCurrentTime"), "14:05:31");
}

TEST_F(AvgWindowsTest, ScreenReadersReadTheFigures) {
    readC(21.3);
    windows.openAvg();
    tick();
    const std::pair<const char*, const char*> labels[] = {
        {"LblMax", "21.3"},
        {"LblMin", "21.3"},
        {"LblAVG", "21.3"},
        {"LblUnit", "C"},
        {"LblType", "K"},
        {"LblMaxTime", "14:05:31"},
        {"LblCurrentTime", "14:05:31"},
    };
    for (const auto& [name, shown] : labels) {
        auto* label = windows.window(false)->findChild<QLabel*>(name);
        ASSERT_NE(label, nullptr) << name;
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(label);
        ASSERT_NE(face, nullptr) << name;
        EXPECT_EQ(face->text(QAccessible::Name), shown) << name;
    }
}

TEST_F(AvgWindowsTest, FiguresFollowTheReadings) {
    struct Step {
        ReadingValue t1;
        const char* max;
        const char* maxTime;
        const char* min;
        const char* minTime;
        const char* average;
    };
    // A silent instrument is counted once a second: the average is pulled towards its reading.
    const Step steps[] = {
        {20.0, "20.0", "14:05:31", "20.0", "14:05:31", "20.0"},
        {30.0, "30.0", "14:05:32", "20.0", "14:05:31", "25.0"},
        {30.0, "30.0", "14:05:33", "20.0", "14:05:31", "26.7"},
        {30.0, "30.0", "14:05:34", "20.0", "14:05:31", "27.5"},
        {25.0, "30.0", "14:05:34", "20.0", "14:05:31", "27.0"},
        {"-OL", "30.0", "14:05:34", "-OL", "14:05:36", "-OL"},
        {22.0, "30.0", "14:05:34", "-OL", "14:05:36", "-OL"},
        {"----", "----", "14:05:38", "----", "14:05:38", "----"},
        {22.0, "----", "14:05:38", "----", "14:05:38", "----"},
    };
    windows.openAvg();
    int i = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(++i);
        readC(s.t1);
        tick();
        EXPECT_EQ(text("LblMax"), s.max);
        EXPECT_EQ(text("LblMaxTime"), s.maxTime);
        EXPECT_EQ(text("LblMin"), s.min);
        EXPECT_EQ(text("LblMinTime"), s.minTime);
        EXPECT_EQ(text("LblAVG"), s.average);
    }
}

TEST_F(AvgWindowsTest, FirstReadingAfterStartBeingNegativeOverloadTakesBoth) {
    readC(21.0);
    windows.openAvg();
    tick();
    AvgWindow* w = windows.window(false);
    w->CmdStartStop_Click();  // Stop
    w->CmdStartStop_Click();  // Start
    readC("-OL");
    tick();
    EXPECT_EQ(text("LblMax"), "-OL");
    EXPECT_EQ(text("LblMin"), "-OL");
    EXPECT_EQ(text("LblAVG"), "-OL");
}

TEST_F(AvgWindowsTest, AnAverageWithOverloadsKeepsTheirSign) {
    struct Case {
        std::vector<ReadingValue> readings;
        const char* max;
        const char* min;
        const char* average;
    };
    const Case cases[] = {
        {{"-OL", "-OL", "-OL"}, "-OL", "-OL", "-OL"},
        {{"OL", "OL"}, "OL", "OL", "OL"},
        {{20.0, "OL", 30.0}, "OL", "20.0", "OL"},
        {{20.0, "-OL", 30.0}, "30.0", "-OL", "-OL"},
        // Overloads of both signs leave no side the average could lie on.
        {{"OL", "-OL"}, "OL", "-OL", "----"},
        {{"-OL", 20.0, "OL", 25.0}, "OL", "-OL", "----"},
        {{"-OL", "----"}, "----", "----", "----"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.readings));
        windows.openAvg();
        for (const ReadingValue& r : c.readings) {
            readC(r);
            tick();
        }
        EXPECT_EQ(text("LblMax"), c.max);
        EXPECT_EQ(text("LblMin"), c.min);
        EXPECT_EQ(text("LblAVG"), c.average);
        windows.unload(false);
    }
}

TEST_F(AvgWindowsTest, ATickWhileTheReadingIsUnknownIsNotCounted) {
    struct Step {
        bool known;
        double t1;
        const char* max;
        const char* maxTime;
        const char* average;
        long count;
        const char* now;
    };
    // While unknown the state still holds the last frame's reading (here 90).
    const Step steps[] = {
        {true, 20.0, "20.0", "14:05:31", "20.0", 1, "14:05:31"},
        {false, 90.0, "20.0", "14:05:31", "20.0", 1, "14:05:32"},
        {false, 90.0, "20.0", "14:05:31", "20.0", 1, "14:05:33"},
        {true, 30.0, "30.0", "14:05:34", "25.0", 2, "14:05:34"},
    };
    for (const bool dual : {false, true}) {
        SCOPED_TRACE(dual ? "AVG2" : "AVG1");
        state.DualModel = dual;
        ts.clock.setTimeOfDay(14, 5, 30);
        windows.openAvg();
        for (const Step& step : steps) {
            SCOPED_TRACE(step.now);
            state.ReadingKnown = step.known;
            readC(step.t1);
            state.T2C = step.t1;
            state.T1T2C = "0.0";
            tick(dual);
            EXPECT_EQ(text(dual, dual ? "LblT1Max" : "LblMax"), step.max);
            EXPECT_EQ(text(dual, dual ? "LblT1MaxTime" : "LblMaxTime"), step.maxTime);
            EXPECT_EQ(text(dual, dual ? "LblT1Avg" : "LblAVG"), step.average);
            EXPECT_EQ(text(dual, "LblCurrentTime"), step.now);
            EXPECT_EQ(windows.window(dual)->run().count(), step.count);
        }
        windows.unload(dual);
    }
}

TEST_F(AvgWindowsTest, EachRunKeepsTheUnitAndModelItStartedWith) {
    // The real-time graph opened while the statistics run takes its own copy, and leaves the
    // statistics window's alone.
    struct Case {
        const char* name;
        ReadingValue unitAtGraph;
        bool dualAtGraph;
        const char* max;
        const char* average;
        bool running;
    };
    const Case cases[] = {
        {"unit", "F", false, "20.0", "20.0", true},
        {"model", "C", true, "20.0", "20.0", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        state.Unit = "C";
        state.DualModel = false;
        readC(20.0);
        windows.openAvg();
        tick();
        state.Unit = c.unitAtGraph;
        state.DualModel = c.dualAtGraph;
        GraphWindows graph(ts.session);
        graph.openGraph();
        tick();
        EXPECT_EQ(text("LblMax"), c.max);
        EXPECT_EQ(text("LblAVG"), c.average);
        EXPECT_EQ(text("LblUnit"), "C");
        EXPECT_EQ(state.AvgRunning, c.running);
        EXPECT_EQ(windows.window(false)->run().count(), c.running ? 2 : 1);
        windows.unload(false);
    }
}

TEST_F(AvgWindowsTest, NothingIsCountedBeforeTheInstrumentSendsAReading) {
    state.Unit = ReadingValue();
    windows.openAvg();
    tick();
    EXPECT_EQ(text("LblMax"), "");
    EXPECT_EQ(text("LblAVG"), "");
    EXPECT_EQ(text("LblCurrentTime"), "14:05:31");
    EXPECT_EQ(windows.window(false)->run().count(), 0);
}

TEST_F(AvgWindowsTest, StopAndStartButtonSetTimesAndClearTheFigures) {
    readC(21.0);
    windows.openAvg();
    tick();
    AvgWindow* w = windows.window(false);
    ts.clock.advanceSeconds(10);
    w->CmdStartStop_Click();
    EXPECT_FALSE(state.AvgRunning);
    EXPECT_EQ(w->CmdStartStop->text(), "Start");
    EXPECT_EQ(text("LblStopTime"), "14:05:41");

    // Stopped: the clock goes on, the figures do not.
    readC(50.0);
    tick();
    EXPECT_EQ(text("LblCurrentTime"), "14:05:42");
    EXPECT_EQ(text("LblMax"), "21.0");
    EXPECT_EQ(text("LblAVG"), "21.0");

    w->CmdStartStop_Click();
    EXPECT_TRUE(state.AvgRunning);
    EXPECT_EQ(w->CmdStartStop->text(), "Stop");
    EXPECT_EQ(text("LblStartTime"), "14:05:42");
    EXPECT_EQ(text("LblStopTime"), "");
    EXPECT_EQ(text("LblMax"), "");
    EXPECT_EQ(text("LblMin"), "");
    EXPECT_EQ(text("LblAVG"), "");
    EXPECT_EQ(text("LblMaxTime"), "14:05:31");  // the times stay until the next reading

    tick();
    EXPECT_EQ(text("LblMax"), "50.0");
    EXPECT_EQ(text("LblMin"), "50.0");
    EXPECT_EQ(text("LblAVG"), "50.0");
}

TEST_F(AvgWindowsTest, AChangeOfUnitKeepsTheUnitTakenAtOpening) {
    readC(20.0);
    windows.openAvg();
    tick();
    state.Unit = "F";
    readC(30.0);
    tick();
    EXPECT_EQ(text("LblMax"), "30.0");
    EXPECT_EQ(text("LblAVG"), "25.0");
    EXPECT_EQ(text("LblUnit"), "C");
}

TEST_F(AvgWindowsTest, KelvinAndFahrenheitRunsReadTheirOwnFields) {
    for (const char* unit : {"F", "K"}) {
        SCOPED_TRACE(unit);
        state.Unit = unit;
        readC(100.0);
        windows.openAvg();
        tick();
        EXPECT_EQ(text("LblMax"), unit == std::string("F") ? "212.0" : "373.2");
        windows.unload(false);
    }
}

TEST_F(AvgWindowsTest, SingleWindowStopsAndKeepsItsFiguresWhenADualInstrumentComes) {
    readC(21.0);
    windows.openAvg();
    tick();
    state.DualModel = true;
    readC(40.0);
    tick();
    EXPECT_TRUE(windows.visible(false));
    EXPECT_FALSE(state.AvgOpen);
    EXPECT_FALSE(state.AvgRunning);
    EXPECT_EQ(text("LblMax"), "21.0");
    EXPECT_EQ(text("LblAVG"), "21.0");
    EXPECT_EQ(windows.window(false)->CmdStartStop->text(), "Start");

    // The next "AVG" opens the dual window and the stopped one goes.
    windows.openAvg();
    EXPECT_FALSE(windows.visible(false));
    EXPECT_TRUE(windows.visible(true));
    EXPECT_TRUE(state.AvgOpen);
    EXPECT_TRUE(state.AvgRunning);
}

TEST_F(AvgWindowsTest, DualWindowShowsThreeChannelsWithOneCount) {
    state.DualModel = true;
    windows.openAvg();
    const struct { ReadingValue t1, t2, t1t2; } readings[] = {{30.0, 20.0, "10.0"}, {20.0, 25.0, "-5.0"}};
    for (const auto& r : readings) {
        state.T1C = r.t1;
        state.T2C = r.t2;
        state.T1T2C = r.t1t2;
        tick(true);
    }
    EXPECT_EQ(text(true, "LblT1Max"), "30.0");
    EXPECT_EQ(text(true, "LblT1Min"), "20.0");
    EXPECT_EQ(text(true, "LblT1Avg"), "25.0");
    EXPECT_EQ(text(true, "LblT2Max"), "25.0");
    EXPECT_EQ(text(true, "LblT2Min"), "20.0");
    EXPECT_EQ(text(true, "LblT2Avg"), "22.5");
    EXPECT_EQ(text(true, "LblT1T2Max"), "10.0");
    EXPECT_EQ(text(true, "LblT1T2Min"), "-5.0");
    EXPECT_EQ(text(true, "LblT1T2Avg"), "2.5");
    EXPECT_EQ(text(true, "LblT1T2MinTime"), "14:05:32");
    EXPECT_EQ(windows.window(true)->run().count(), 2);
}

TEST_F(AvgWindowsTest, DualWindowClosesWhenASingleInstrumentComes) {
    state.DualModel = true;
    windows.openAvg();
    state.T1C = 20.0;
    state.T2C = 20.0;
    state.T1T2C = "0.0";
    tick(true);
    state.DualModel = false;
    tick(true);
    EXPECT_FALSE(windows.visible(true));
    EXPECT_EQ(windows.window(true), nullptr);
    EXPECT_FALSE(state.AvgOpen);
    EXPECT_FALSE(state.AvgRunning);
}

TEST_F(AvgWindowsTest, TheRecordingTickClosesOnlyRunsOfTheOtherModel) {
    struct Case {
        bool openedDual;
        bool nowDual;
        bool stays;
    };
    const Case cases[] = {
        {true, false, false}, {false, true, false}, {true, true, true}, {false, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.openedDual << " -> " << c.nowDual);
        state.DualModel = c.openedDual;
        windows.openAvg();
        state.DualModel = c.nowDual;
        windows.closeRunsOfOtherModel();
        EXPECT_EQ(windows.visible(c.openedDual), c.stays);
        EXPECT_EQ(windows.window(c.openedDual) != nullptr, c.stays);
        EXPECT_EQ(state.AvgOpen, c.stays);
        windows.unload(c.openedDual);
    }
}

TEST_F(AvgWindowsTest, OpeningTwiceDoesNothingAndClosingEndsTheRun) {
    windows.openAvg();
    AvgWindow* first = windows.window(false);
    state.DualModel = true;
    windows.openAvg();
    EXPECT_EQ(windows.window(false), first);
    EXPECT_EQ(windows.window(true), nullptr);
    EXPECT_FALSE(first->DualModelAtStart);

    first->close();
    EXPECT_FALSE(state.AvgOpen);
    EXPECT_FALSE(state.AvgRunning);
    EXPECT_FALSE(windows.visible(false));
    EXPECT_FALSE(first->Timer1.isActive());
}

}  // namespace
}  // namespace calvex
