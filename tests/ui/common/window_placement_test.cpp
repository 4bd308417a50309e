#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "ui/common/window_placement.h"

namespace calvex {
namespace {

TEST(WindowPlacement, FramesStayOnTheScreensFreeArea) {
    const QRect fullHd(0, 0, 1920, 1080);
    const QRect underTopBar(0, 27, 1920, 1053);
    const QRect doubleScale(0, 0, 960, 540);  // 1920 x 1080 at 200 %
    const QRect rightScreen(1920, 0, 1280, 1024);
    const struct {
        const char* what;
        QRect available;
        QRect wanted;
        QPoint placed;
    } cases[] = {
        {"fits where designed", fullHd, QRect(246, 180, 136, 86), QPoint(246, 180)},
        {"top 0 under a top bar", underTopBar, QRect(352, 0, 349, 395), QPoint(352, 27)},
        {"right of the panel at 200 %", doubleScale, QRect(352, 0, 349, 395), QPoint(352, 0)},
        {"past the right edge at 200 %", doubleScale, QRect(700, 0, 349, 395), QPoint(611, 0)},
        {"past the bottom", fullHd, QRect(10, 900, 300, 400), QPoint(10, 680)},
        {"above and left of the screen", fullHd, QRect(-50, -20, 300, 200), QPoint(0, 0)},
        {"larger than the screen", doubleScale, QRect(100, 100, 1000, 600), QPoint(0, 0)},
        {"on a second screen", rightScreen, QRect(1900, 10, 100, 100), QPoint(1920, 10)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(placeOnScreen(c.wanted, c.available), c.placed) << c.what;
}

TEST(WindowPlacement, AWindowMovesInsideTheScreenUnderItsPlace) {
    QWidget window;
    window.resize(300, 200);
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    placeWindow(window, available.topLeft() + QPoint(available.width() - 100, -10));
    EXPECT_EQ(window.frameGeometry().topLeft(), QPoint(available.right() + 1 - 300, available.top()));
    placeWindow(window, available.topLeft() + QPoint(40, 30));
    EXPECT_EQ(window.frameGeometry().topLeft(), available.topLeft() + QPoint(40, 30));
}

}  // namespace
}  // namespace calvex
