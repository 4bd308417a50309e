#include <gtest/gtest.h>

#include <unistd.h>
#include <QLabel>
#include <QProcess>
#include <QProcessEnvironment>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "e2e/sim_process.h"
#include "platform/capture_link.h"
#include "platform/qt_serial_link.h"
#include "platform/system_clock.h"
#include "support/fake_printer.h"
#include "support/read_file.h"
#include "support/scripted_dialogs.h"
#include "ui/lists/list_windows.h"
#include "ui/memory/memory_window.h"
#include "ui/memory/memory_windows.h"
#include "ui/panel/panel.h"

namespace calvex {
namespace {

using test::readFile;

// The capture's lines of one direction, their hex bytes only.
std::vector<std::string> bytesOf(const std::string& capture, char direction) {
    std::istringstream lines(capture);
    std::vector<std::string> found;
    const std::string mark = std::string(" ") + direction + " ";
    for (std::string line; std::getline(lines, line);) {
        const std::size_t at = line.find(mark);
        if (line[0] != '#' && at != std::string::npos)
            found.push_back(line.substr(at + mark.size()));
    }
    return found;
}

std::string joined(const std::vector<std::string>& parts) {
    std::string all;
    for (const std::string& part : parts)
        all += part + " ";
    return all;
}

// The Panel on a simulator or a replay, through a capture when `capturePath` is given.
struct CaptureRig {
    CaptureRig(const QStringList& simArguments, const std::string& capturePath = {})
        : sim(simArguments),
          port({{1, sim.device()}}),
          capture(capturePath.empty() ? nullptr : std::make_unique<CaptureLink>(port, clock, capturePath)),
          session(std::make_unique<Session>(capture ? static_cast<SerialLink&>(*capture) : port, clock,
                                            dialogs, printer)) {
        session->state.ComPort = 1;
        session->lists = &lists;
        session->memory = &memory;
        panel = std::make_unique<Panel>(*session);
    }
    ~CaptureRig() { panel.reset(); }
    QString text(const char* name) const { return panel->findChild<QLabel*>(name)->text(); }

    test::SimProcess sim;
    QtSerialLink port;
    SystemClock clock;
    test::ScriptedDialogs dialogs;
    test::FakePrinter printer;
    std::unique_ptr<CaptureLink> capture;
    std::unique_ptr<Session> session;
    ListWindows lists{*session};
    MemoryWindows memory{*session};
    std::unique_ptr<Panel> panel;
};

std::filesystem::path capturePath(const char* name) {
    return std::filesystem::temp_directory_path() /
           ("calvex-e2e-" + std::string(name) + "-" + std::to_string(::getpid()) + ".txt");
}

TEST(CaptureReplay, AReplayedCaptureShowsTheSameReading) {
    const std::filesystem::path file = capturePath("capture");
    {
        CaptureRig rig({"--type", "J", "--t1", "23.4", "--t2", "-OL", "--period", "250"}, file.string());
        ASSERT_TRUE(rig.capture->ok()) << rig.capture->error();
        ASSERT_TRUE(rig.panel->Form_Load());
        ASSERT_TRUE(test::waitUntil([&] { return rig.text("LblT1") == "23.4"; }, test::kPatienceMs));
        // A dozen frames: the replay has the reading to show for about three seconds.
        ASSERT_TRUE(
            test::waitUntil([&] { return bytesOf(readFile(file), '<').size() >= 12; }, test::kPatienceMs));
    }
    const std::string captured = readFile(file);
    EXPECT_TRUE(captured.starts_with(kCaptureHeader));
    // The frame as the simulator sends it: 23.4 on T1, -OL on T2, type J.
    EXPECT_NE(joined(bytesOf(captured, '<')).find("02 00 00 EA C0 00 00 01 03 "), std::string::npos)
        << captured;
    EXPECT_TRUE(bytesOf(captured, '>').empty());

    CaptureRig replay({"--replay", QString::fromStdString(file.string())});
    ASSERT_TRUE(replay.panel->Form_Load());
    EXPECT_TRUE(test::waitUntil([&] { return replay.text("LblT1") == "23.4"; }, test::kPatienceMs));
    EXPECT_EQ(replay.text("LblT2"), "-OL");
    EXPECT_EQ(replay.text("LblT1T2"), "OL");
    EXPECT_EQ(replay.text("LblType"), "J");
    EXPECT_EQ(replay.text("LblName"), "Dual DATALOGGER THERMOMETER");
    EXPECT_TRUE(replay.dialogs.messages.empty());
    std::filesystem::remove(file);
}

// The download from the panel, once `ready` holds after the first frame.
std::vector<std::string> downloadSets(
    CaptureRig& rig, const std::function<bool()>& ready = [] { return true; }) {
    EXPECT_TRUE(rig.panel->Form_Load());
    EXPECT_TRUE(test::waitUntil([&] { return rig.session->state.DualModel; }, test::kPatienceMs));
    EXPECT_TRUE(test::waitUntil(ready, test::kPatienceMs));
    rig.panel->Toolbar1_ButtonClick("Memory");
    EXPECT_TRUE(test::waitUntil(
        [&] { return rig.memory.window() != nullptr && rig.memory.window()->gridSet().rows() == 3; }, 20000));
    EXPECT_TRUE(test::waitUntil([&] { return rig.panel->polling(); }, test::kPatienceMs));
    std::vector<std::string> rows;
    if (rig.memory.window() == nullptr)
        return rows;
    Grid& sets = rig.memory.window()->gridSet();
    for (int row = 1; row < sets.rows(); ++row)
        rows.push_back(sets.rowText(row));
    return rows;
}

// The replayed download asks for the pointer sooner or later than the captured one did; the
// frames captured before the question must not come between it and its reply.
TEST(CaptureReplay, AReplayedMemoryDownloadGivesTheSameSets) {
    const std::filesystem::path file = capturePath("memory");
    const std::vector<std::string> expected{"1\t10\t3", "2\t60\t2"};
    {
        CaptureRig rig({"--period", "250", "--set", "10 dual C K: 25.1 24.9, 25.3 ----, OL -OL", "--set",
                        "60 single F J: 77.0, -OL"},
                       file.string());
        // The captured download starts after a dozen frames, the replayed one after the first:
        // the replay is asked about three seconds sooner than the capture was.
        EXPECT_EQ(downloadSets(rig, [&] { return bytesOf(readFile(file), '<').size() >= 12; }), expected);
    }
    const std::string captured = readFile(file);
    // "A", then "U" once more than the one block the data takes.
    EXPECT_EQ(bytesOf(captured, '>'), (std::vector<std::string>{"41", "55", "55"})) << captured;

    CaptureRig replay({"--replay", QString::fromStdString(file.string())});
    EXPECT_EQ(downloadSets(replay), expected);
    EXPECT_TRUE(replay.dialogs.messages.empty());
    std::filesystem::remove(file);
}

// calvex itself: --capture in its help, and a capture file it cannot write stops it at the start.
TEST(CaptureReplay, CalvexRefusesACaptureFileItCannotWrite) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(CALVEX_PATH), {"--capture", "/nonexistent-folder/capture.txt"});
    ASSERT_TRUE(process.waitForFinished(test::kPatienceMs));
    EXPECT_EQ(process.exitCode(), 2);
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    EXPECT_TRUE(errors.endsWith(
        "calvex: cannot write the capture file /nonexistent-folder/capture.txt: No such file or directory\n"))
        << errors.toStdString();

    process.start(QStringLiteral(CALVEX_PATH), {"--help"});
    ASSERT_TRUE(process.waitForFinished(test::kPatienceMs));
    const QString help = QString::fromUtf8(process.readAllStandardOutput());
    EXPECT_TRUE(help.contains("--capture <FILE>")) << help.toStdString();
    EXPECT_TRUE(help.contains("12.345678 < 02 00 00 FB 60 00 64 00 03")) << help.toStdString();
}

}  // namespace
}  // namespace calvex
