#include "plot/toolbar_images.h"

#include <QPainter>
#include <QPixmap>

namespace calvex {

namespace {

constexpr int kSize = 16;

QPixmap blankImage() {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

}  // namespace

// Two bounds with arrows pointing at each other: narrowing the range.
QIcon plotLimitImage() {
    QPixmap pixmap = blankImage();
    QPainter p(&pixmap);
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(2, 1, 13, 1);
    p.drawLine(2, 14, 13, 14);
    p.setPen(QPen(QColor(0, 0, 192), 1));
    p.drawLine(7, 3, 7, 12);
    p.drawLine(8, 3, 8, 12);
    const QPoint up[3] = {QPoint(4, 6), QPoint(11, 6), QPoint(7, 2)};
    const QPoint down[3] = {QPoint(4, 9), QPoint(11, 9), QPoint(7, 13)};
    p.setBrush(QColor(0, 0, 192));
    p.drawPolygon(up, 3);
    p.drawPolygon(down, 3);
    return QIcon(pixmap);
}

// A printer with a sheet coming out.
QIcon plotPrintImage() {
    QPixmap pixmap = blankImage();
    QPainter p(&pixmap);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(4, 1, 7, 5);
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(1, 6, 13, 5);
    p.setBrush(Qt::white);
    p.drawRect(4, 10, 7, 4);
    p.setPen(QColor(0, 128, 0));
    p.drawPoint(12, 8);
    return QIcon(pixmap);
}

}  // namespace calvex
