#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QToolTip>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "support/test_session.h"
#include "ui/common/toolbar_keys.h"
#include "ui/panel/panel.h"
#include "ui/panel/port_window.h"

namespace calvex {
namespace {

const std::string kDualFrame("\x02\x00\x00\xFB\x00\x00\xEA\x00\x03", 9);    // 25.1 C, 23.4 C, type K
const std::string kSingleFrame("\x02\x41\x00\x00\xFF\x00\x00\x01\x03", 9);  // OL in F, type J
const std::string kKelvinFrame("\x02\x02\x0B\xB8\xFF\x00\x00\x09\x03", 9);  // 300.0 K, type code 9

struct CountingApis : GraphApi, StatsApi, MemoryApi, ListsApi {
    void openGraph() override { calls.push_back("graph"); }
    bool visible() const override { return graphVisible; }
    void close() override { calls.push_back("graph-close"); }
    void openAvg() override { calls.push_back("avg"); }
    bool visible(bool) const override { return false; }
    void unload(bool) override {}
    void closeRunsOfOtherModel() override {}
    void startDownload() override { calls.push_back("memory"); }
    TableWindow* window(ListKind, bool) override { return nullptr; }
    TableWindow* show(ListKind, bool dual) override {
        calls.push_back(dual ? "list2" : "list1");
        return nullptr;
    }
    void unload(ListKind, bool) override {}
    void appendRealTimeRow(const std::string& row) override { rows.push_back(row); }
    std::vector<std::string> calls;
    std::vector<std::string> rows;
    bool graphVisible = false;
};

struct PanelRig {
    explicit PanelRig(int comPort = 1) {
        t.session.state.ComPort = comPort;
        t.session.graph = &apis;
        t.session.stats = &apis;
        t.session.memory = &apis;
        t.session.lists = &apis;
    }
    QString text(const char* name) const { return panel.findChild<QLabel*>(name)->text(); }
    void deliver(const std::string& frame) {
        panel.Timer1_Timer();
        t.port.feed(frame);
    }
    test::TestSession t;
    CountingApis apis;
    Panel panel{t.session};
};

// A dual frame in tenths of a degree C, the sign in each status byte's top bit.
std::string dualFrameOf(int t1, int t2) {
    const auto status = [](int tenths) { return static_cast<char>(tenths < 0 ? 0x80 : 0x00); };
    const auto high = [](int tenths) { return static_cast<char>((std::abs(tenths) >> 8) & 0xFF); };
    const auto low = [](int tenths) { return static_cast<char>(std::abs(tenths) & 0xFF); };
    return std::string{'\x02', status(t1), high(t1), low(t1), status(t2), high(t2), low(t2), '\x00', '\x03'};
}

// The difference's digits never run under the unit's picture at the bottom right, and stay in the
// window.
TEST(Panel, TheDifferenceKeepsClearOfTheUnitsPicture) {
    const std::pair<std::pair<int, int>, const char*> cases[] = {
        {{250, 255}, "-0.5"}, {{-1000, 888}, "-188.8"}, {{255, 250}, "0.5"}, {{13720, -1000}, "1472.0"}};
    for (const auto& [readings, shown] : cases) {
        PanelRig rig;
        ASSERT_TRUE(rig.panel.Form_Load());
        rig.panel.show();
        rig.deliver(dualFrameOf(readings.first, readings.second));
        rig.deliver(dualFrameOf(readings.first, readings.second));
        QLabel* difference = rig.panel.findChild<QLabel*>("LblT1T2");
        QLabel* picture = rig.panel.findChild<QLabel*>("ImgC");
        ASSERT_EQ(difference->text(), shown);
        ASSERT_TRUE(picture->isVisible());
        EXPECT_FALSE(difference->geometry().intersects(picture->geometry()))
            << shown << ": " << difference->geometry().x() << "+" << difference->width();
        EXPECT_TRUE(rig.panel.rect().contains(difference->geometry())) << shown;
    }
}

TEST(Panel, StartOpensThePortAndSetsTheSampleClock) {
    PanelRig rig(2);
    ASSERT_TRUE(rig.panel.Form_Load());
    EXPECT_EQ(rig.t.port.settings(), "9600,n,8,1");
    EXPECT_TRUE(rig.t.port.isOpen());
    EXPECT_EQ(rig.t.port.portNumber(), 2);
    EXPECT_EQ(rig.text("LblCOM"), "COM2");
    EXPECT_EQ(rig.t.session.state.SampleTime, "14:05:30");
    EXPECT_EQ(rig.t.session.state.SampleDate, "2026/12/08");
    EXPECT_EQ(rig.t.session.state.SampleStamp, "2026/12/08 14:05:30");
    EXPECT_EQ(rig.t.session.state.SampleSeconds, 2.0f);
    EXPECT_TRUE(rig.panel.polling());
    EXPECT_EQ(rig.panel.pollInterval(), 150);
    EXPECT_EQ(rig.panel.windowTitle(), "Panel     V7.0");
}

TEST(Panel, APortThatCannotBeOpenedIsReportedWithTheSystemsReason) {
    for (int comPort : {0, 3}) {  // 0: a text in the COM Port box that named no port
        PanelRig rig(comPort);
        rig.t.port.failingPorts = {3};
        EXPECT_FALSE(rig.panel.Form_Load());
        ASSERT_EQ(rig.t.dialogs.messages.size(), 1u);
        EXPECT_EQ(rig.t.dialogs.messages[0].text, "No device found, try again!");
        EXPECT_EQ(rig.t.dialogs.messages[0].style, 16);
        if (comPort == 3) {
            EXPECT_NE(rig.t.dialogs.messages[0].details.find("Permission denied"), std::string::npos);
        }
    }
}

TEST(Panel, ShowsDualSingleAndKelvinReadings) {
    PanelRig rig;
    ASSERT_TRUE(rig.panel.Form_Load());
    rig.deliver(kDualFrame);
    EXPECT_EQ(rig.text("LblName"), "Dual DATALOGGER THERMOMETER");
    EXPECT_EQ(rig.text("LblT1"), "25.1");
    EXPECT_EQ(rig.text("LblT2"), "23.4");
    EXPECT_EQ(rig.text("LblT1T2"), "1.7");
    EXPECT_EQ(rig.text("LblType"), "K");
    EXPECT_FALSE(rig.panel.findChild<QLabel*>("UnitT1")->isHidden());
    EXPECT_FALSE(rig.panel.findChild<QLabel*>("ImgC")->isHidden());
    EXPECT_TRUE(rig.panel.findChild<QLabel*>("ImgF")->isHidden());

    rig.deliver(kSingleFrame);
    EXPECT_EQ(rig.text("LblName"), "DATALOGGER THERMOMETER");
    EXPECT_EQ(rig.text("LblT1"), "OL");
    EXPECT_EQ(rig.text("LblT2"), "");
    EXPECT_EQ(rig.text("LblT1T2"), "");
    EXPECT_TRUE(rig.panel.findChild<QLabel*>("UnitT1")->isHidden());
    EXPECT_TRUE(rig.panel.findChild<QLabel*>("UnitT1T2")->isHidden());
    EXPECT_EQ(rig.panel.findChild<QLabel*>("LblT1")->font().pointSize(), 72);
    EXPECT_EQ(rig.panel.findChild<QLabel*>("LblT1")->alignment(), Qt::AlignCenter);
    EXPECT_FALSE(rig.panel.findChild<QLabel*>("ImgF")->isHidden());
    EXPECT_EQ(rig.text("LblType"), "J");

    rig.deliver(kKelvinFrame);
    EXPECT_EQ(rig.text("LblT1"), "300.0");
    EXPECT_EQ(rig.text("LblType"), "J");  // type code 9 keeps the letter
    EXPECT_FALSE(rig.panel.findChild<QLabel*>("ImgK")->isHidden());
    EXPECT_TRUE(rig.panel.findChild<QLabel*>("ImgC")->isHidden());
}

TEST(Panel, ClosesAGraphWhoseRunEnded) {
    PanelRig rig;
    ASSERT_TRUE(rig.panel.Form_Load());
    rig.apis.graphVisible = true;
    rig.t.session.state.GraphActive = true;
    rig.deliver(kDualFrame);
    EXPECT_TRUE(rig.apis.calls.empty());
    rig.t.session.state.GraphActive = false;
    rig.deliver(kDualFrame);
    EXPECT_EQ(rig.apis.calls, std::vector<std::string>{"graph-close"});
}

TEST(Panel, ToolbarDispatchesByKey) {
    struct Case {
        const char* key;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"Graph", {"graph"}}, {"AVG", {"avg"}}, {"Memory", {"memory"}}, {"List", {"list2"}},
        {"Stop", {}},         {"Save1", {}},    {"save", {}},           {"Bogus", {}},
    };
    for (const Case& c : cases) {
        PanelRig rig;
        rig.t.session.state.DualModel = true;
        rig.t.session.state.Unit = "C";  // a frame has arrived
        rig.panel.Toolbar1_ButtonClick(c.key);
        EXPECT_EQ(rig.apis.calls, c.calls) << c.key;
        EXPECT_TRUE(rig.t.dialogs.messages.empty());
        EXPECT_EQ(rig.t.dialogs.saveDialogs + rig.t.dialogs.openDialogs, 0) << c.key;
    }
    PanelRig busy;
    busy.t.session.state.MemoryOpen = true;
    busy.panel.Toolbar1_ButtonClick("Memory");
    EXPECT_TRUE(busy.apis.calls.empty());
}

TEST(Panel, RunsBeforeTheFirstFrameAreRefusedWithAWord) {
    for (const char* key : {"Save", "List", "Graph", "AVG"}) {
        PanelRig rig;
        rig.panel.Toolbar1_ButtonClick(key);
        EXPECT_TRUE(rig.apis.calls.empty()) << key;
        EXPECT_EQ(rig.t.dialogs.saveDialogs, 0) << key;
        EXPECT_FALSE(rig.t.session.state.RecordingOn) << key;
        ASSERT_EQ(rig.t.dialogs.messages.size(), 1u) << key;
        EXPECT_EQ(rig.t.dialogs.messages[0].text.substr(0, 47),
                  "No reading has arrived from the instrument yet.");
    }
}

TEST(Panel, ToolbarButtonsCarryTheirKeysAndTips) {
    PanelRig rig;
    const std::pair<const char*, const char*> buttons[] = {
        {"Save", "Save As"},          {"Open", "Open File"},      {"List", "List Display"},
        {"Graph", "Graphic Display"}, {"AVG", "Max/Min/AVG"},     {"PC", "PC Sampling"},
        {"Memory", "Datalogger"},     {"Stop", "Stop Recording"}, {"Save1", "Save As"}};
    const QList<QAction*> actions = rig.panel.Toolbar1->actions();
    ASSERT_EQ(actions.size(), 9);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(actions[i]->data().toString(), buttons[i].first);
        EXPECT_EQ(actions[i]->toolTip(), buttons[i].second);
    }
}

TEST(Panel, OpenIsRefusedWhileRecording) {
    PanelRig rig;
    rig.t.session.state.RecordingOn = true;
    rig.panel.Toolbar1_ButtonClick("Open");
    ASSERT_EQ(rig.t.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.t.dialogs.messages[0].text, "Recording Mode!\n\rPlease stop recording!");
    EXPECT_EQ(rig.t.dialogs.openDialogs, 0);
}

TEST(Panel, SamplingTimerHandsTheDisplayedReadingsToTheList) {
    PanelRig rig;
    ASSERT_TRUE(rig.panel.Form_Load());
    rig.deliver(kDualFrame);
    rig.t.session.ListOpen = true;
    rig.panel.Timer2_Timer();
    EXPECT_EQ(rig.apis.rows, std::vector<std::string>{"14:05:32\t25.1\t23.4\t1.7\tC"});
}

// While "No COM" stands (or polling is stopped) the panel does not show the last figures as if
// measured, and a sample taken then records the no-value mark.
TEST(Panel, AnUnknownReadingShowsAndSamplesAsNoValue) {
    PanelRig rig;
    ASSERT_TRUE(rig.panel.Form_Load());
    rig.deliver(kDualFrame);
    rig.panel.Timer1_Timer();
    rig.t.port.failPort("unplugged");
    rig.panel.Timer1_Timer();
    EXPECT_EQ(rig.text("LblCOM"), "No COM");
    for (const char* label : {"LblT1", "LblT2", "LblT1T2"})
        EXPECT_EQ(rig.text(label), "----") << label;
    rig.t.session.ListOpen = true;
    rig.panel.Timer2_Timer();
    EXPECT_EQ(rig.apis.rows, std::vector<std::string>{"14:05:32\t----\t----\t----\tC"});

    rig.panel.Timer1_Timer();  // the port opens again
    rig.deliver(kDualFrame);
    EXPECT_EQ(rig.text("LblT1"), "25.1");
    rig.panel.setPolling(false);  // the memory download takes the port
    EXPECT_EQ(rig.text("LblT1"), "----");
}

QString spokenName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face != nullptr ? face->text(QAccessible::Name) : QString("(no interface)");
}

// The action a key runs in a window, as Qt's shortcut map would find it there.
QAction* actionFor(const QWidget& window, const QKeySequence& keys) {
    for (QAction* action : window.findChildren<QAction*>())
        if (action->shortcut() == keys && action->isEnabled() && action->isVisible())
            return action;
    return nullptr;
}

TEST(Panel, ScreenReadersReadTheReading) {
    PanelRig rig;
    ASSERT_TRUE(rig.panel.Form_Load());
    rig.deliver(kDualFrame);
    const std::pair<const char*, const char*> labels[] = {
        {"LblName", "Dual DATALOGGER THERMOMETER"},
        {"LblT1", "25.1"},
        {"LblT2", "23.4"},
        {"LblT1T2", "1.7"},
        {"LblCOM", "COM1"},
        {"LblType", "K"},
    };
    for (const auto& [name, text] : labels) {
        auto* label = rig.panel.findChild<QLabel*>(name);
        ASSERT_NE(label, nullptr) << name;
        EXPECT_EQ(spokenName(label), text) << name;
        EXPECT_EQ(label->objectName(), name);
    }
    rig.deliver(kSingleFrame);
    EXPECT_EQ(spokenName(rig.panel.LblT1), "OL");
}

TEST(Panel, EveryCommandHasItsKey) {
    struct Case {
        QKeySequence keys;
        std::function<bool(PanelRig&)> ran;
    };
    const Case cases[] = {
        {QKeySequence("Ctrl+S"), [](PanelRig& r) { return r.t.dialogs.saveDialogs == 1; }},
        {QKeySequence("Ctrl+O"), [](PanelRig& r) { return r.t.dialogs.openDialogs == 1; }},
        {QKeySequence("Ctrl+L"),
         [](PanelRig& r) { return r.apis.calls == std::vector<std::string>{"list2"}; }},
        {QKeySequence("Ctrl+G"),
         [](PanelRig& r) { return r.apis.calls == std::vector<std::string>{"graph"}; }},
        {QKeySequence("Ctrl+M"), [](PanelRig& r) { return r.apis.calls == std::vector<std::string>{"avg"}; }},
        {QKeySequence("Ctrl+T"), [](PanelRig& r) { return r.t.dialogs.inputs.size() == 1; }},
        {QKeySequence("Ctrl+D"),
         [](PanelRig& r) { return r.apis.calls == std::vector<std::string>{"memory"}; }},
        {QKeySequence("F1"),
         [](PanelRig& r) {
             return r.t.dialogs.messages.size() == 1 && r.t.dialogs.messages[0].title == "Calvex Help";
         }},
    };
    for (const Case& c : cases) {
        PanelRig rig;
        ASSERT_TRUE(rig.panel.Form_Load());
        rig.deliver(kDualFrame);
        QAction* action = actionFor(rig.panel, c.keys);
        ASSERT_NE(action, nullptr) << c.keys.toString().toStdString();
        action->trigger();
        EXPECT_TRUE(c.ran(rig)) << c.keys.toString().toStdString();
    }
}

TEST(Panel, HelpNamesEveryKeyAndTheTipsShowThem) {
    PanelRig rig;
    actionFor(rig.panel, QKeySequence("F1"))->trigger();
    ASSERT_EQ(rig.t.dialogs.messages.size(), 1u);
    const std::string help = rig.t.dialogs.messages[0].text;
    std::set<QString> keys;
    for (QAction* action : rig.panel.Toolbar1->actions() + rig.panel.actions()) {
        if (!action->isVisible())
            continue;
        ASSERT_FALSE(action->shortcut().isEmpty()) << action->objectName().toStdString();
        EXPECT_NE(help.find(action->shortcut().toString().toStdString()), std::string::npos)
            << action->objectName().toStdString();
        EXPECT_TRUE(keys.insert(action->shortcut().toString()).second) << "used twice";
    }
    // The keys of the other windows' toolbars too (Export's Ctrl+E was once left out).
    for (const QKeySequence& key : toolbarShortcuts())
        EXPECT_NE(help.find(key.toString().toStdString()), std::string::npos) << key.toString().toStdString();

    rig.panel.show();
    QAction* save = rig.panel.toolbarButton("Save");
    QWidget* button = rig.panel.Toolbar1->widgetForAction(save);
    QHelpEvent hover(QEvent::ToolTip, QPoint(2, 2), button->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(button, &hover);
    EXPECT_EQ(QToolTip::text(), "Save As (Ctrl+S)");
    EXPECT_EQ(save->toolTip(), "Save As");
    QToolTip::hideText();
}

struct RecordingPanelRig : PanelRig {
    RecordingPanelRig() {
        path = std::filesystem::temp_directory_path() /
               ("calvex-panel-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt");
        panel.setAttribute(Qt::WA_DeleteOnClose, false);
        QObject::connect(&panel, &Panel::closed, [this] { ++closedCount; });
    }
    ~RecordingPanelRig() { std::filesystem::remove(path); }
    std::string file() const {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    std::filesystem::path path;
    int closedCount = 0;
};

TEST(Panel, ClosingWhileRecordingAsksFirstAndKeepsEveryLine) {
    for (const bool yes : {false, true}) {
        RecordingPanelRig rig;
        ASSERT_TRUE(rig.panel.Form_Load());
        rig.deliver(kDualFrame);
        rig.t.dialogs.saveAnswers.push_back(rig.path.string());
        rig.panel.Toolbar1_ButtonClick("Save");
        ASSERT_TRUE(rig.t.session.state.RecordingOn);
        rig.panel.Timer2_Timer();
        const std::string written = rig.file();
        ASSERT_FALSE(written.empty());

        rig.t.dialogs.questionAnswers.push_back(yes);
        actionFor(rig.panel, QKeySequence("Ctrl+Q"))->trigger();
        ASSERT_EQ(rig.t.dialogs.questions.size(), 1u) << yes;
        EXPECT_EQ(rig.t.dialogs.questions[0].text, "A recording is running. Stop it and close the program?");
        EXPECT_FALSE(rig.t.dialogs.questionDefaults[0]);  // a stray Enter keeps the recording
        EXPECT_EQ(rig.closedCount, yes ? 1 : 0);
        EXPECT_EQ(rig.t.session.state.RecordingOn, !yes);
        EXPECT_EQ(rig.file(), written) << yes;
        if (!yes) {
            rig.panel.Timer2_Timer();
            rig.panel.Timer2_Timer();
            rig.panel.Timer2_Timer();
            EXPECT_GT(rig.file().size(), written.size());
        }
    }
    RecordingPanelRig idle;
    ASSERT_TRUE(idle.panel.Form_Load());
    idle.panel.close();
    EXPECT_TRUE(idle.t.dialogs.questions.empty());
    EXPECT_EQ(idle.closedCount, 1);
}

TEST(Port, EnterInTheBoxChoosesThePort) {
    const std::pair<const char*, int> cases[] = {{"COM5", 5}, {"COM1", 1}, {"COM8", 8}};
    for (const bool toLineEdit : {false, true})
        for (const auto& [text, comPort] : cases) {
            test::TestSession t;
            auto* port = new Port(t.session);
            int chosen = 0;
            QObject::connect(port, &Port::portChosen, [&] { ++chosen; });
            port->TxtCOM->setEditText(text);
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
            QApplication::sendEvent(
                toLineEdit ? static_cast<QWidget*>(port->TxtCOM->lineEdit()) : port->TxtCOM, &enter);
            EXPECT_EQ(chosen, 1) << text;
            EXPECT_EQ(t.session.state.ComPort, comPort) << text;
        }
}

// Tab stops only where something shows, and the device line, however long, is shown whole.
TEST(Port, TabStaysOnShownControlsAndTheDeviceLineFits) {
    test::TestSession t;
    auto* port = new Port(t.session);
    port->show();
    const QRect inside = port->rect();
    int stops = 0;
    for (QWidget* w = port->nextInFocusChain(); w != port; w = w->nextInFocusChain()) {
        if (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisibleTo(port) || !w->isEnabled())
            continue;
        ++stops;
        const QRect at(w->mapTo(port, QPoint(0, 0)), w->size());
        EXPECT_TRUE(inside.contains(at)) << w->objectName().toStdString();
    }
    EXPECT_GE(stops, 2);  // the box and OK
    for (const char* choice : {"COM1", "Auto", "COM8", "nonsense"}) {
        port->TxtCOM->setEditText(choice);
        QLabel* line = port->LblDevice;
        EXPECT_GE(line->height(), line->heightForWidth(line->width())) << choice;
        EXPECT_TRUE(port->rect().contains(line->geometry())) << choice;
        const QFontMetrics metrics(line->font());
        for (const QString& word : line->text().split(' '))
            EXPECT_LE(metrics.horizontalAdvance(word), line->width()) << word.toStdString();
    }
    delete port;
}

TEST(Port, ChoosesThePortFromTheBox) {
    struct Case {
        const char* text;  // nullptr: OK without touching the box
        int comPort;
        bool autoScan;
    };
    const Case cases[] = {
        {nullptr, 1, false}, {"Auto", 1, true}, {"COM5", 5, false}, {"auto", 0, false}, {"COM9", 0, false}};
    for (const Case& c : cases) {
        test::TestSession t;
        auto* port = new Port(t.session);
        int chosen = 0;
        QObject::connect(port, &Port::portChosen, [&] { ++chosen; });
        EXPECT_EQ(port->windowTitle(), "COM Port");
        ASSERT_EQ(port->TxtCOM->count(), 9);
        EXPECT_EQ(port->TxtCOM->itemText(8), "Auto");
        EXPECT_EQ(port->TxtCOM->currentText(), "COM1");
        if (c.text)
            port->TxtCOM->setEditText(c.text);
        port->CmdOK_Click();
        EXPECT_EQ(chosen, 1);
        EXPECT_EQ(t.session.state.ComPort, c.comPort) << (c.text ? c.text : "untouched");
        EXPECT_EQ(t.session.state.AutoScan, c.autoScan);
    }
}

}  // namespace
}  // namespace calvex
