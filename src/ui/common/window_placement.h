#pragma once

#include <QPoint>
#include <QRect>

class QWidget;

namespace calvex {

// Where a window's frame goes so that the whole of it lies on the screen's free area: at the wanted
// place where it fits there, otherwise moved in just as far as needed. A frame larger than the area
// keeps its left edge and title bar on the screen, where the user can still take hold of it.
QPoint placeOnScreen(const QRect& wantedFrame, const QRect& available);

// Moves a top-level window so that its frame (title bar included) starts at `wanted`, or as near to
// it as fits on the screen under that point. Positions are device-independent pixels, so a screen
// at 200 % scale offers half as many of them and the windows move in further.
void placeWindow(QWidget& window, QPoint wanted);

}  // namespace calvex
