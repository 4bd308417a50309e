#include "panel/unit_pictures.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace calvex {

QPixmap unitPicture(char letter) {
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 2));
    p.drawEllipse(QRectF(2, 3, 7, 7));
    QFont font("Arial");
    font.setPixelSize(24);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRect(10, 2, 22, 28), Qt::AlignCenter, QString(QChar(letter)));
    return picture;
}

QPixmap toolbarPicture(const QString& key) {
    QPixmap picture(24, 24);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.5));
    if (key == "Save" || key == "Save1") {
        // A floppy disk.
        p.setBrush(QColor(40, 70, 160));
        p.drawRect(3, 3, 18, 18);
        p.setBrush(Qt::white);
        p.drawRect(7, 3, 10, 7);
        p.drawRect(6, 13, 12, 7);
    } else if (key == "Stop") {
        p.setBrush(QColor(200, 0, 0));
        p.drawEllipse(3, 3, 18, 18);
        p.setBrush(Qt::white);
        p.drawRect(8, 8, 8, 8);
    } else if (key == "Open") {
        p.setBrush(QColor(230, 190, 60));
        QPainterPath folder;
        folder.moveTo(2, 20);
        folder.lineTo(2, 5);
        folder.lineTo(9, 5);
        folder.lineTo(11, 8);
        folder.lineTo(21, 8);
        folder.lineTo(21, 20);
        folder.closeSubpath();
        p.drawPath(folder);
    } else if (key == "List") {
        p.setBrush(Qt::white);
        p.drawRect(3, 2, 18, 20);
        for (int y = 6; y <= 18; y += 4)
            p.drawLine(6, y, 18, y);
    } else if (key == "Graph") {
        p.drawLine(3, 3, 3, 21);
        p.drawLine(3, 21, 21, 21);
        p.setPen(QPen(QColor(200, 0, 0), 2));
        p.drawPolyline(QPolygon({QPoint(4, 17), QPoint(9, 10), QPoint(13, 14), QPoint(20, 5)}));
    } else if (key == "AVG") {
        QFont font("Arial");
        font.setPixelSize(10);
        font.setBold(true);
        p.setFont(font);
        p.drawText(QRect(0, 0, 24, 24), Qt::AlignCenter, "AVG");
    } else if (key == "PC") {
        p.setBrush(Qt::white);
        p.drawEllipse(2, 2, 20, 20);
        p.drawLine(12, 12, 12, 5);
        p.drawLine(12, 12, 17, 14);
    } else if (key == "Memory") {
        p.setBrush(QColor(60, 60, 60));
        p.drawRect(5, 4, 14, 16);
        for (int y = 6; y <= 18; y += 3) {
            p.drawLine(2, y, 5, y);
            p.drawLine(19, y, 22, y);
        }
    }
    return picture;
}

}  // namespace calvex
