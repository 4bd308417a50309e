#pragma once

#include <QPoint>
#include <QRect>

class QWidget;

namespace calvex {

class Settings;

// Where a window's frame goes so that the whole of it lies on the screen's free area: at the wanted
// place where it fits there, otherwise moved in just as far as needed. A frame larger than the area
// keeps its left edge and title bar on the screen, where the user can still take hold of it.
QPoint placeOnScreen(const QRect& wantedFrame, const QRect& available);

// Moves a top-level window so that its frame (title bar included) starts at `wanted`, or as near to
// it as fits on the screen under that point. Positions are device-independent pixels, so a screen
// at 200 % scale offers half as many of them and the windows move in further.
void placeWindow(QWidget& window, QPoint wanted);

// As above, but a window the user has moved or sized before comes back where he left it and at its
// size (kept in `settings` under the window's object name), when that place is still on a screen;
// from now on its place is kept whenever it is hidden or closed. No settings: the designed place.
void placeWindow(QWidget& window, QPoint wanted, Settings* settings);

// The screen a remembered window geometry (frame's top-left, client size) still stands on: its
// top-left corner must lie on a screen and the size fit in that screen's free area.
bool isOnScreen(const QRect& geometry);

}  // namespace calvex
