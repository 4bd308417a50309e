#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QToolButton>
#include <memory>
#include <string>
#include <vector>

#include "platform/settings.h"
#include "support/temp_folder.h"
#include "support/test_session.h"
#include "ui/lists/list_windows.h"
#include "ui/panel/panel.h"
#include "ui/panel/port_window.h"

namespace calvex {
namespace {

using test::TempFolder;

const std::string kDataRows = "1\t14:05:32\t23.4\t25.1\t-1.7\tC\r\n2\t14:05:34\t23.5\t25.0\t-1.5\tC\r\n";

// One start of the program: its windows over a Session that remembers in `settings`.
struct Start {
    explicit Start(Settings& settings) {
        t.session.state.ComPort = 1;
        t.session.settings = &settings;
        t.session.lists = &lists;
    }
    test::TestSession t;
    ListWindows lists{t.session};
};

struct PortCase {
    const char* name;
    const char* typed;    // what the user types before OK; null: the COM2 key instead
    const char* offered;  // what the next start offers
};

class PortOffered : public testing::TestWithParam<PortCase> {};

TEST_P(PortOffered, AtTheNextStartIsTheOneChosen) {
    TempFolder folder;
    const QString path = QString::fromStdString(folder.file("calvex.conf"));
    {
        Settings settings(path);
        Start first(settings);
        auto* port = new Port(first.t.session);
        EXPECT_EQ(port->TxtCOM->currentText(), "COM1");
        if (GetParam().typed != nullptr) {
            port->TxtCOM->setEditText(GetParam().typed);
            port->CmdOK_Click();
        } else {
            port->Port2_Click();
        }
    }
    Settings settings(path);
    Start next(settings);
    Port port(next.t.session);
    EXPECT_EQ(port.TxtCOM->currentText().toStdString(), GetParam().offered);
    EXPECT_EQ(port.TxtCOM->itemText(port.TxtCOM->currentIndex()).toStdString(), GetParam().offered);
}

INSTANTIATE_TEST_SUITE_P(Port, PortOffered,
                         testing::Values(PortCase{"Com5", "COM5", "COM5"}, PortCase{"Auto", "Auto", "Auto"},
                                         PortCase{"Com2Key", nullptr, "COM2"},
                                         PortCase{"NoPortTyped", "LPT1", "COM1"}),
                         [](const testing::TestParamInfo<PortCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(Remembered, TheSamplingTimeSetIsTheNextStarts) {
    TempFolder folder;
    const QString path = QString::fromStdString(folder.file("calvex.conf"));
    {
        Settings settings(path);
        Start first(settings);
        Panel panel(first.t.session);
        ASSERT_TRUE(panel.Form_Load());
        EXPECT_EQ(first.t.session.state.SampleSeconds, 2.0f);
        first.t.dialogs.inputAnswers = {"30"};
        panel.Toolbar1_ButtonClick("PC");
        EXPECT_EQ(first.t.session.state.SampleSeconds, 30.0f);
    }
    Settings settings(path);
    Start next(settings);
    Panel panel(next.t.session);
    ASSERT_TRUE(panel.Form_Load());
    EXPECT_EQ(next.t.session.state.SampleSeconds, 30.0f);
}

TEST(Remembered, ThePanelComesBackWhereItWasLeft) {
    TempFolder folder;
    const QString path = QString::fromStdString(folder.file("calvex.conf"));
    QRect left;
    {
        Settings settings(path);
        Start first(settings);
        Panel panel(first.t.session);
        ASSERT_TRUE(panel.Form_Load());
        panel.show();
        panel.move(70, 40);
        left = QRect(panel.pos(), panel.size());
        panel.close();
    }
    Settings settings(path);
    Start next(settings);
    Panel panel(next.t.session);
    ASSERT_TRUE(panel.Form_Load());
    EXPECT_EQ(QRect(panel.pos(), panel.size()), left);
}

std::vector<std::string> menuTexts(Panel& panel) {
    panel.fillRecentMenu();
    std::vector<std::string> texts;
    for (QAction* action : panel.recentMenu()->actions())
        texts.push_back(action->text().toStdString());
    return texts;
}

TEST(RecentFiles, HangOnTheOpenButtonAndOpenWithTheKeyboard) {
    TempFolder folder;
    Settings settings(QString::fromStdString(folder.file("calvex.conf")));
    Start start(settings);
    Panel panel(start.t.session);
    auto* button = qobject_cast<QToolButton*>(panel.Toolbar1->widgetForAction(panel.toolbarButton("Open")));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->menu(), panel.recentMenu());
    EXPECT_EQ(button->popupMode(), QToolButton::MenuButtonPopup);
    QAction* key = panel.findChild<QAction*>("Recent");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    EXPECT_EQ(menuTexts(panel), std::vector<std::string>{"No recent files"});
}

TEST(RecentFiles, FilesOpenedAndSavedAreListedLatestFirst) {
    TempFolder folder;
    TempFolder data;
    Settings settings(QString::fromStdString(folder.file("calvex.conf")));
    Start start(settings);
    Panel panel(start.t.session);
    ASSERT_TRUE(panel.Form_Load());
    std::vector<std::string> files;
    for (const char* name : {"a.tab", "b & c.tab", "a.tab"}) {
        TempFolder::write(data.file(name), kDataRows);
        start.t.dialogs.openAnswers = {data.file(name)};
        panel.Toolbar1_ButtonClick("Open");
    }
    // A file that could not be shown is not one to come back to.
    TempFolder::write(data.file("empty.tab"), "");
    start.t.dialogs.openAnswers = {data.file("empty.tab")};
    panel.Toolbar1_ButtonClick("Open");
    EXPECT_EQ(menuTexts(panel),
              (std::vector<std::string>{"&1 " + data.file("a.tab"), "&2 " + data.file("b && c.tab")}));
}

TEST(RecentFiles, ChoosingOneOpensItAsOpenDoes) {
    TempFolder folder;
    TempFolder data;
    Settings settings(QString::fromStdString(folder.file("calvex.conf")));
    TempFolder::write(data.file("run.tab"), kDataRows);
    settings.addRecentFile(data.file("run.tab"));
    settings.addRecentFile("/no/such/folder/later.tab");
    Start start(settings);
    Panel panel(start.t.session);
    ASSERT_TRUE(panel.Form_Load());
    panel.fillRecentMenu();
    ASSERT_EQ(panel.recentMenu()->actions().size(), 2);
    panel.recentMenu()->actions()[1]->trigger();
    EXPECT_TRUE(start.t.dialogs.messages.empty());
    EXPECT_NE(start.lists.window(ListKind::File, true), nullptr);
    EXPECT_EQ(settings.recentFiles().front(), data.file("run.tab"));
}

TEST(RecentFiles, AFileThatIsGoneSaysSoAndLeavesTheList) {
    TempFolder folder;
    TempFolder data;
    const QString path = QString::fromStdString(folder.file("calvex.conf"));
    const std::string gone = data.file("gone.tab");
    {
        Settings settings(path);
        settings.addRecentFile(data.file("kept.tab"));
        settings.addRecentFile(gone);
    }
    Settings settings(path);
    Start start(settings);
    Panel panel(start.t.session);
    ASSERT_TRUE(panel.Form_Load());
    panel.fillRecentMenu();
    panel.recentMenu()->actions()[0]->trigger();
    ASSERT_EQ(start.t.dialogs.messages.size(), 1u);
    EXPECT_EQ(start.t.dialogs.messages[0].text, "The file is no longer there:\n" + gone);
    EXPECT_EQ(start.t.dialogs.messages[0].details, "It has been moved, renamed or deleted.");
    EXPECT_EQ(menuTexts(panel), std::vector<std::string>{"&1 " + data.file("kept.tab")});
    EXPECT_EQ(Settings(path).recentFiles(), std::vector<std::string>{data.file("kept.tab")});
}

}  // namespace
}  // namespace calvex
