#include <gtest/gtest.h>

#include <unistd.h>
#include <QLabel>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "e2e/sim_process.h"
#include "platform/qt_serial_link.h"
#include "platform/system_clock.h"
#include "support/fake_printer.h"
#include "support/scripted_dialogs.h"
#include "ui/panel/panel.h"

namespace calvex {
namespace {

std::vector<std::string> lines(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> out;
    std::string line;
    while (std::getline(in, line))
        out.push_back(line);
    return out;
}

// "PC" set to 1 s, then "Save" to the file.
void startRecordingEverySecond(Panel& panel, test::ScriptedDialogs& dialogs,
                               const std::filesystem::path& file) {
    dialogs.inputAnswers.push_back("1");
    panel.Toolbar1_ButtonClick("PC");
    dialogs.saveAnswers.push_back(file.string());
    panel.Toolbar1_ButtonClick("Save");
}

TEST(Recording, TheFileHoldsWhatThePanelShowed) {
    test::SimProcess sim(
        {"--model", "dual", "--unit", "F", "--t1", "70.5", "--t2", "----", "--period", "200"});
    QtSerialLink port({{1, sim.device()}});
    SystemClock clock;
    test::ScriptedDialogs dialogs;
    test::FakePrinter printer;
    Session session(port, clock, dialogs, printer);
    session.state.ComPort = 1;
    Panel panel(session);
    ASSERT_TRUE(panel.Form_Load());
    auto shown = [&] { return panel.findChild<QLabel*>("LblT1")->text().toStdString(); };
    ASSERT_TRUE(test::waitUntil([&] { return shown() == "70.5"; }, test::kPatienceMs));

    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("calvex-e2e-" + std::to_string(::getpid()) + ".txt");
    startRecordingEverySecond(panel, dialogs, file);
    ASSERT_TRUE(session.state.RecordingOn);

    ASSERT_TRUE(test::waitUntil([&] { return session.RecordCount >= 2; }, test::kPatienceMs));
    sim.command("t1 -12.3");
    ASSERT_TRUE(test::waitUntil([&] { return shown() == "-12.3"; }, test::kPatienceMs));
    const std::int64_t before = session.RecordCount;
    ASSERT_TRUE(test::waitUntil([&] { return session.RecordCount >= before + 2; }, test::kPatienceMs));
    panel.Toolbar1_ButtonClick("Save");
    EXPECT_FALSE(session.state.RecordingOn);

    const std::vector<std::string> recorded = lines(file);
    std::filesystem::remove(file);
    ASSERT_GE(recorded.size(), 4u);
    int previous = -1;
    for (std::size_t i = 0; i < recorded.size(); ++i) {
        const std::string& line = recorded[i];
        ASSERT_FALSE(line.empty());
        EXPECT_EQ(line.back(), '\r');  // CR LF line ends
        std::istringstream fields(line.substr(0, line.size() - 1));
        std::string number, time, t1, t2, t1t2, unit;
        std::getline(fields, number, '\t');
        std::getline(fields, time, '\t');
        std::getline(fields, t1, '\t');
        std::getline(fields, t2, '\t');
        std::getline(fields, t1t2, '\t');
        std::getline(fields, unit, '\t');
        EXPECT_EQ(number, std::to_string(i + 1));
        EXPECT_TRUE(t1 == "70.5" || t1 == "-12.3") << line;
        EXPECT_EQ(t2, "----");
        EXPECT_EQ(t1t2, "----");
        EXPECT_EQ(unit, "F");
        // One second between stamps: the sample clock, not the computer's clock.
        const int seconds = std::stoi(time.substr(0, 2)) * 3600 + std::stoi(time.substr(3, 2)) * 60 +
                            std::stoi(time.substr(6, 2));
        if (previous >= 0) {
            EXPECT_EQ((seconds - previous + 86400) % 86400, 1) << line;
        }
        previous = seconds;
    }
    EXPECT_NE(recorded.front().find("70.5"), std::string::npos);
    EXPECT_NE(recorded.back().find("-12.3"), std::string::npos);
}

// The instrument pulled during a recording: the lines of the gap say "no value", they do not
// repeat the last reading, and the recording reads on when it comes back.
TEST(Recording, AnUnpluggedInstrumentLeavesNoValueLinesNotRepeats) {
    const std::string link = "/tmp/calvex-e2e-rec-link-" + std::to_string(::getpid());
    test::SimProcess sim(
        {"--link", QString::fromStdString(link), "--model", "single", "--t1", "21.0", "--period", "250"});
    QtSerialLink port({{1, link}});
    SystemClock clock;
    test::ScriptedDialogs dialogs;
    test::FakePrinter printer;
    Session session(port, clock, dialogs, printer);
    session.state.ComPort = 1;
    Panel panel(session);
    auto text = [&](const char* name) { return panel.findChild<QLabel*>(name)->text().toStdString(); };
    ASSERT_TRUE(panel.Form_Load());
    ASSERT_TRUE(test::waitUntil([&] { return text("LblT1") == "21.0"; }, test::kPatienceMs));

    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("calvex-e2e-gap-" + std::to_string(::getpid()) + ".txt");
    startRecordingEverySecond(panel, dialogs, file);
    ASSERT_TRUE(session.state.RecordingOn);
    ASSERT_TRUE(test::waitUntil([&] { return session.RecordCount >= 2; }, test::kPatienceMs));

    sim.command("unplug");
    ASSERT_TRUE(test::waitUntil([&] { return text("LblCOM") == "No COM"; }, test::kPatienceMs));
    EXPECT_EQ(text("LblT1"), "----");
    const std::int64_t unplugged = session.RecordCount;
    ASSERT_TRUE(test::waitUntil([&] { return session.RecordCount >= unplugged + 3; }, test::kPatienceMs));
    sim.command("t1 22.5");
    sim.command("replug");
    ASSERT_TRUE(test::waitUntil([&] { return text("LblT1") == "22.5"; }, test::kPatienceMs));
    const std::int64_t back = session.RecordCount;
    ASSERT_TRUE(test::waitUntil([&] { return session.RecordCount >= back + 2; }, test::kPatienceMs));
    panel.Toolbar1_ButtonClick("Save");

    // The readings, in order: the first value, then the gap, then the new value; nothing else.
    std::string order;
    for (const std::string& line : lines(file)) {
        const std::string reading = line.substr(line.find('\t', line.find('\t') + 1) + 1, 4);
        const char mark = reading == "21.0" ? 'a' : reading == "----" ? '-' : reading == "22.5" ? 'b' : '?';
        if (order.empty() || order.back() != mark)
            order += mark;
    }
    std::filesystem::remove(file);
    EXPECT_EQ(order, "a-b");
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
}  // namespace calvex
