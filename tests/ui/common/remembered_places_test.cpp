#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <string>

#include "files/save_as_dialog.h"
#include "platform/settings.h"
#include "support/temp_folder.h"
#include "support/test_session.h"
#include "ui/common/qt_dialogs.h"
#include "ui/common/window_placement.h"

namespace calvex {
namespace {

using test::TempFolder;

struct PlaceCase {
    const char* name;
    QPoint left;     // where the user left the window, relative to the screen's free area
    QSize size;      // at what size
    bool comesBack;  // false: the window takes its designed place and size
};

class RememberedPlace : public testing::TestWithParam<PlaceCase> {};

TEST_P(RememberedPlace, IsTakenAtTheNextStartWhenStillOnAScreen) {
    const QRect free = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint designed = free.topLeft() + QPoint(10, 20);
    const QPoint left = free.topLeft() + GetParam().left;
    TempFolder folder;
    const QString path = QString::fromStdString(folder.file("calvex.conf"));
    {
        Settings settings(path);
        QWidget window;
        window.setObjectName("Window");
        window.resize(200, 100);
        placeWindow(window, designed, &settings);
        window.show();
        window.move(left);
        window.resize(GetParam().size);
        window.close();
    }
    Settings settings(path);
    QWidget window;
    window.setObjectName("Window");
    window.resize(200, 100);
    placeWindow(window, designed, &settings);
    if (GetParam().comesBack) {
        EXPECT_EQ(window.pos(), left);
        EXPECT_EQ(window.size(), GetParam().size);
    } else {
        EXPECT_EQ(window.pos(), designed);
        EXPECT_EQ(window.size(), QSize(200, 100));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Windows, RememberedPlace,
    testing::Values(PlaceCase{"Moved", QPoint(120, 60), QSize(200, 100), true},
                    PlaceCase{"MovedAndSized", QPoint(30, 40), QSize(320, 240), true},
                    PlaceCase{"OnAScreenSinceUnplugged", QPoint(50000, 40), QSize(200, 100), false},
                    PlaceCase{"AboveTheScreens", QPoint(40, -5000), QSize(200, 100), false},
                    PlaceCase{"LargerThanTheScreen", QPoint(0, 0), QSize(90000, 100), false}),
    [](const testing::TestParamInfo<PlaceCase>& info) { return std::string(info.param.name); });

TEST(RememberedPlace, AFixedWindowKeepsItsSize) {
    TempFolder folder;
    Settings settings(QString::fromStdString(folder.file("calvex.conf")));
    const QPoint at = QGuiApplication::primaryScreen()->availableGeometry().topLeft() + QPoint(5, 5);
    settings.setWindowGeometry("Fixed", QRect(at, QSize(500, 400)));
    QWidget window;
    window.setObjectName("Fixed");
    window.setFixedSize(150, 80);
    placeWindow(window, QPoint(0, 0), &settings);
    EXPECT_EQ(window.pos(), at);
    EXPECT_EQ(window.size(), QSize(150, 80));
}

TEST(RememberedFolder, TheFileDialogsStartInTheFolderLastUsed) {
    TempFolder folder;
    TempFolder data;
    const QString path = QString::fromStdString(folder.file("calvex.conf"));
    {
        Settings settings(path);
        QtDialogs dialogs;
        EXPECT_EQ(dialogs.startFolder(), "");
        dialogs.setSettings(&settings);
        EXPECT_EQ(dialogs.startFolder(), "");
        dialogs.rememberFolder(data.file("run.tab"));
    }
    Settings settings(path);
    QtDialogs dialogs;
    dialogs.setSettings(&settings);
    EXPECT_EQ(dialogs.startFolder().toStdString(), data.path().string());
}

TEST(RecentFiles, AFileChosenToSaveJoinsThem) {
    TempFolder folder;
    TempFolder data;
    Settings settings(QString::fromStdString(folder.file("calvex.conf")));
    test::TestSession t;
    t.session.settings = &settings;
    t.dialogs.saveAnswers = {data.file("first.tab"), "", data.file("second.tab")};
    for (int i = 0; i < 3; ++i)
        SaveAsDialog(t.session);
    EXPECT_EQ(settings.recentFiles(),
              (std::vector<std::string>{data.file("second.tab"), data.file("first.tab")}));
}

}  // namespace
}  // namespace calvex
