#include "ui/common/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace calvex {

namespace {

int fitted(int wanted, int length, int first, int span) {
    const int last = first + span - length;
    // Too long for the span: the start (left edge, title bar) stays visible.
    if (last < first)
        return first;
    return std::clamp(wanted, first, last);
}

}  // namespace

QPoint placeOnScreen(const QRect& wantedFrame, const QRect& available) {
    return QPoint(fitted(wantedFrame.x(), wantedFrame.width(), available.x(), available.width()),
                  fitted(wantedFrame.y(), wantedFrame.height(), available.y(), available.height()));
}

void placeWindow(QWidget& window, QPoint wanted) {
    QScreen* screen = QGuiApplication::screenAt(wanted);
    if (screen == nullptr)
        screen = window.screen();
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    // Before its first showing a window knows no frame yet; its own size is the best guess then.
    const QSize frame = window.frameGeometry().size().expandedTo(window.size());
    const QPoint at =
        screen != nullptr ? placeOnScreen(QRect(wanted, frame), screen->availableGeometry()) : wanted;
    // A top-level window's position is that of its frame, so the title bar lands on the screen.
    window.move(at);
}

}  // namespace calvex
