#include "ui/common/window_placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "platform/settings.h"

namespace calvex {

namespace {

int fitted(int wanted, int length, int first, int span) {
    const int last = first + span - length;
    // Too long for the span: the start (left edge, title bar) stays visible.
    if (last < first)
        return first;
    return std::clamp(wanted, first, last);
}

// Keeps a window's place in the settings each time it goes out of sight, closing included.
class PlaceKeeper : public QObject {
public:
    PlaceKeeper(QWidget& window, Settings& settings)
        : QObject(&window), m_window(window), m_settings(settings) {
        setObjectName("PlaceKeeper");
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_window && event->type() == QEvent::Hide && m_window.isWindow())
            m_settings.setWindowGeometry(m_window.objectName(), QRect(m_window.pos(), m_window.size()));
        return false;
    }

private:
    QWidget& m_window;
    Settings& m_settings;
};

}  // namespace

bool isOnScreen(const QRect& geometry) {
    const QScreen* screen = QGuiApplication::screenAt(geometry.topLeft());
    if (screen == nullptr)
        return false;
    const QRect free = screen->availableGeometry();
    return free.contains(geometry.topLeft()) && geometry.width() <= free.width() &&
           geometry.height() <= free.height();
}

void placeWindow(QWidget& window, QPoint wanted, Settings* settings) {
    if (settings == nullptr) {
        placeWindow(window, wanted);
        return;
    }
    if (window.findChild<QObject*>(QStringLiteral("PlaceKeeper"), Qt::FindDirectChildrenOnly) == nullptr)
        new PlaceKeeper(window, *settings);
    const std::optional<QRect> kept = settings->windowGeometry(window.objectName());
    if (!kept || !isOnScreen(*kept)) {
        placeWindow(window, wanted);
        return;
    }
    // A window of fixed size keeps the size its contents need; the others take the user's.
    if (window.minimumSize() != window.maximumSize())
        window.resize(kept->size());
    placeWindow(window, kept->topLeft());
}

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
