#include "lists/toolbar_images.h"

#include <QPainter>
#include <QPixmap>

namespace calvex {

namespace {

constexpr int kSize = 32;  // drawn large, shown at 16 px: sharp on high-density screens too

void drawDisk(QPainter& p) {
    p.setPen(QPen(QColor(20, 30, 90), 2));
    p.setBrush(QColor(40, 70, 170));
    p.drawRect(4, 4, 24, 24);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(235, 235, 235));
    p.drawRect(9, 5, 14, 9);  // label
    p.setBrush(QColor(170, 170, 180));
    p.drawRect(10, 19, 12, 8);  // shutter
    p.setBrush(QColor(40, 70, 170));
    p.drawRect(17, 20, 3, 6);
}

void drawPrinter(QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.setBrush(Qt::white);
    p.drawRect(9, 3, 14, 10);  // paper in
    p.setBrush(QColor(170, 170, 170));
    p.drawRect(3, 12, 26, 11);  // body
    p.setBrush(Qt::white);
    p.drawRect(8, 20, 16, 9);  // paper out
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.drawLine(11, 24, 21, 24);
    p.drawLine(11, 27, 18, 27);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 170, 0));
    p.drawEllipse(23, 14, 3, 3);
}

void drawChart(QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(Qt::white);
    p.drawRect(3, 3, 26, 26);
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(7, 6, 7, 25);
    p.drawLine(7, 25, 27, 25);
    p.setPen(QPen(QColor(220, 0, 0), 2));
    const QPoint trace[] = {{8, 20}, {12, 14}, {16, 17}, {20, 9}, {24, 12}, {27, 7}};
    p.drawPolyline(trace, 6);
}

}  // namespace

QIcon toolbarImage(const std::string& key) {
    QPixmap image(kSize, kSize);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (key == "Save")
        drawDisk(painter);
    else if (key == "Print")
        drawPrinter(painter);
    else if (key == "Plot")
        drawChart(painter);
    painter.end();
    return QIcon(image);
}

}  // namespace calvex
