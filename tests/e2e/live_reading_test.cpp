#include <gtest/gtest.h>

#include <unistd.h>
#include <QLabel>
#include <QProcess>
#include <fstream>

#include "e2e/sim_process.h"
#include "platform/qt_serial_link.h"
#include "platform/system_clock.h"
#include "support/fake_printer.h"
#include "support/scripted_dialogs.h"
#include "ui/panel/panel.h"

namespace calvex {
namespace {

struct LiveRig {
    explicit LiveRig(const QStringList& simArguments) : sim(simArguments), port({{1, sim.device()}}) {
        session.state.ComPort = 1;
    }
    QString text(const char* name) const { return panel->findChild<QLabel*>(name)->text(); }

    test::SimProcess sim;
    QtSerialLink port;
    SystemClock clock;
    test::ScriptedDialogs dialogs;
    test::FakePrinter printer;
    Session session{port, clock, dialogs, printer};
    std::unique_ptr<Panel> panel = std::make_unique<Panel>(session);
};

TEST(LiveReading, ThePanelShowsTheSimulatorsReadingWithinASecond) {
    LiveRig rig(
        {"--model", "dual", "--unit", "C", "--type", "J", "--t1", "23.4", "--t2", "-OL", "--period", "250"});
    ASSERT_FALSE(rig.sim.device().empty());
    ASSERT_TRUE(rig.panel->Form_Load())
        << (rig.dialogs.messages.empty() ? "" : rig.dialogs.messages[0].details);
    // A frame every 250 ms shows within a second on an idle machine.
    EXPECT_TRUE(test::waitUntil([&] { return rig.text("LblT1") == "23.4"; }, test::kPatienceMs));
    EXPECT_EQ(rig.text("LblT2"), "-OL");
    EXPECT_EQ(rig.text("LblT1T2"), "OL");
    EXPECT_EQ(rig.text("LblType"), "J");
    EXPECT_EQ(rig.text("LblCOM"), "COM1");
    EXPECT_EQ(rig.text("LblName"), "Dual DATALOGGER THERMOMETER");

    // The instrument is swapped for a single-input one in degrees F.
    rig.sim.command("model single");
    rig.sim.command("unit F");
    rig.sim.command("t1 98.6");
    EXPECT_TRUE(
        test::waitUntil([&] { return rig.text("LblName") == "DATALOGGER THERMOMETER"; }, test::kPatienceMs));
    EXPECT_TRUE(test::waitUntil([&] { return rig.text("LblT1") == "98.6"; }, test::kPatienceMs));
    EXPECT_EQ(rig.text("LblT2"), "");
}

}  // namespace
}  // namespace calvex

namespace calvex {
namespace {

// An adapter pulled and put back: the panel stays on the port the user chose and reads on.
TEST(LiveReading, AnUnpluggedPortIsFoundAgainWhenItComesBack) {
    const std::string link = "/tmp/calvex-e2e-link-" + std::to_string(::getpid());
    test::SimProcess sim({"--link", QString::fromStdString(link), "--t1", "21.0", "--period", "250"});
    QtSerialLink port({{3, link}});
    SystemClock clock;
    test::ScriptedDialogs dialogs;
    test::FakePrinter printer;
    Session session(port, clock, dialogs, printer);
    session.state.ComPort = 3;
    Panel panel(session);
    auto text = [&](const char* name) { return panel.findChild<QLabel*>(name)->text(); };
    ASSERT_TRUE(panel.Form_Load());
    ASSERT_TRUE(test::waitUntil([&] { return text("LblT1") == "21.0"; }, test::kPatienceMs));

    sim.command("unplug");
    EXPECT_TRUE(test::waitUntil([&] { return text("LblCOM") == "No COM"; }, test::kPatienceMs));
    sim.command("t1 22.5");
    sim.command("replug");
    EXPECT_TRUE(test::waitUntil([&] { return text("LblT1") == "22.5"; }, test::kPatienceMs));
    EXPECT_EQ(text("LblCOM"), "COM3");
    EXPECT_EQ(session.state.ComPort, 3);
}

// The panel on a real port named by `device`, over an instrument started elsewhere.
struct PanelOn {
    explicit PanelOn(const std::string& device) : port({{1, device}}) { session.state.ComPort = 1; }
    QtSerialLink port;
    SystemClock clock;
    test::ScriptedDialogs dialogs;
    test::FakePrinter printer;
    Session session{port, clock, dialogs, printer};
    Panel panel{session};
};

// The panel and a recorder on one instrument, through a link and its target: whichever opens the
// port second is refused and told which program holds it.
TEST(LiveReading, ThePanelAndARecorderDoNotShareAnInstrument) {
    const std::string link = "/tmp/calvex-e2e-held-" + std::to_string(::getpid());
    test::SimProcess sim({"--link", QString::fromStdString(link), "--t1", "21.0", "--period", "250"});
    ASSERT_FALSE(sim.device().empty());
    std::string program;
    std::getline(std::ifstream("/proc/self/comm"), program);
    {
        PanelOn first(link);
        ASSERT_TRUE(first.panel.Form_Load());
        ASSERT_TRUE(test::waitUntil([&] { return first.panel.findChild<QLabel*>("LblT1")->text() == "21.0"; },
                                    test::kPatienceMs));
        QProcess record;
        record.start(CALVEX_RECORD_PATH, {"--port", QString::fromStdString(sim.device()), "--count", "1"});
        ASSERT_TRUE(record.waitForFinished(test::kPatienceMs));
        EXPECT_EQ(record.exitCode(), 1);
        EXPECT_EQ(record.readAllStandardError().toStdString(),
                  "calvex-record: No device found: COM1 (" + sim.device() + "): Device busy: in use by " +
                      program + " (process " + std::to_string(::getpid()) + ")\n");
    }

    QProcess record;
    record.start(CALVEX_RECORD_PATH, {"--port", QString::fromStdString(sim.device()), "--every", "1"});
    ASSERT_TRUE(record.waitForStarted(test::kPatienceMs));
    ASSERT_TRUE(test::waitUntil([&] { return record.canReadLine(); }, test::kPatienceMs));
    PanelOn second(link);
    EXPECT_FALSE(second.panel.Form_Load());
    ASSERT_EQ(second.dialogs.messages.size(), 1u);
    EXPECT_EQ(second.dialogs.messages[0].text, "No device found, try again!");
    EXPECT_EQ(second.dialogs.messages[0].details, "COM1 (" + link +
                                                      "): Device busy: in use by calvex-record (process " +
                                                      std::to_string(record.processId()) + ")");
    record.terminate();
    EXPECT_TRUE(record.waitForFinished(test::kPatienceMs));
}

}  // namespace
}  // namespace calvex
