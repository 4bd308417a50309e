#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "e2e/sim_process.h"
#include "platform/qt_serial_link.h"
#include "platform/system_clock.h"
#include "support/fake_printer.h"
#include "support/read_file.h"
#include "support/scripted_dialogs.h"
#include "ui/lists/list_window.h"
#include "ui/lists/list_windows.h"
#include "ui/memory/memory_windows.h"
#include "ui/panel/panel.h"

namespace calvex {
namespace {

using test::readFile;

// The user downloads the instrument's memory from the main window, picks a set, and saves its
// data list: the file holds the records the simulator logged.
TEST(MemoryDownload, FromThePanelToASavedDataList) {
    test::SimProcess sim({"--period", "250", "--set", "10 dual C K: 25.1 24.9, 25.3 ----, OL -OL", "--set",
                          "60 single F J: 77.0, -OL"});
    QtSerialLink port({{1, sim.device()}});
    SystemClock clock;
    test::ScriptedDialogs dialogs;
    test::FakePrinter printer;
    Session session(port, clock, dialogs, printer);
    session.state.ComPort = 1;
    ListWindows lists(session);
    MemoryWindows memory(session);
    session.lists = &lists;
    session.memory = &memory;
    auto panel = std::make_unique<Panel>(session);
    ASSERT_TRUE(panel->Form_Load());
    ASSERT_TRUE(test::waitUntil([&] { return session.state.DualModel; }, test::kPatienceMs));

    panel->Toolbar1_ButtonClick("Memory");
    EXPECT_TRUE(session.state.MemoryOpen);
    EXPECT_FALSE(panel->polling());
    ASSERT_TRUE(test::waitUntil(
        [&] { return memory.window() != nullptr && memory.window()->gridSet().rows() == 3; }, 20000));
    Grid& sets = memory.window()->gridSet();
    EXPECT_EQ(sets.rowText(1), "1\t10\t3");
    EXPECT_EQ(sets.rowText(2), "2\t60\t2");
    ASSERT_TRUE(test::waitUntil([&] { return panel->polling(); },
                                test::kPatienceMs));  // polling resumes after the download

    dialogs.inputAnswers.push_back("23:59:55");
    sets.setRow(1);
    memory.window()->GridSet_Click();
    auto* list = dynamic_cast<ListWindow*>(lists.window(ListKind::Data, true));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->grid().rows(), 4);

    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("calvex-e2e-memory-" + std::to_string(::getpid()) + ".txt");
    dialogs.saveAnswers.push_back(file.string());
    list->Toolbar1_ButtonClick("Save");
    EXPECT_EQ(readFile(file),
              "1\t23:59:55\t25.1\t24.9\t0.2\tC\t\r\n"
              "2\t00:00:05\t25.3\t----\t----\tC\t\r\n"
              "3\t00:00:15\tOL\t-OL\tOL\tC\t\r\n");
    std::filesystem::remove(file);
    EXPECT_TRUE(dialogs.messages.empty());
    lists.unload(ListKind::Data, true);
    panel.reset();
}

}  // namespace
}  // namespace calvex
