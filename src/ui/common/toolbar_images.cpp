#include "ui/common/toolbar_images.h"

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

// A page of lines under a magnifying glass.
void drawPreview(QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.setBrush(Qt::white);
    p.drawRect(4, 2, 18, 24);
    p.setPen(QPen(QColor(120, 120, 120), 1));
    for (int y = 7; y <= 19; y += 4)
        p.drawLine(7, y, 19, y);
    p.setPen(QPen(QColor(20, 30, 90), 3));
    p.drawLine(23, 23, 29, 29);
    p.setBrush(QColor(200, 225, 255, 200));
    p.drawEllipse(QPoint(19, 19), 6, 6);
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

void drawStop(QPainter& p) {
    p.setPen(QPen(QColor(90, 0, 0), 2));
    p.setBrush(QColor(200, 0, 0));
    p.drawEllipse(4, 4, 24, 24);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(11, 11, 10, 10);
}

void drawFolder(QPainter& p) {
    p.setPen(QPen(QColor(120, 90, 0), 2));
    p.setBrush(QColor(235, 190, 60));
    const QPoint folder[] = {{3, 27}, {3, 7}, {12, 7}, {15, 11}, {29, 11}, {29, 27}};
    p.drawPolygon(folder, 6);
}

void drawListSheet(QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.setBrush(Qt::white);
    p.drawRect(5, 3, 22, 26);
    for (int y = 9; y <= 24; y += 5)
        p.drawLine(9, y, 23, y);
}

void drawAvg(QPainter& p) {
    QFont font("Arial");
    font.setPixelSize(13);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, "AVG");
}

void drawClock(QPainter& p) {
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(Qt::white);
    p.drawEllipse(3, 3, 26, 26);
    p.drawLine(16, 16, 16, 7);
    p.drawLine(16, 16, 23, 19);
}

void drawChip(QPainter& p) {
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(QColor(60, 60, 60));
    p.drawRect(8, 5, 16, 22);
    for (int y = 8; y <= 24; y += 4) {
        p.drawLine(3, y, 8, y);
        p.drawLine(24, y, 29, y);
    }
}

// Two bounds with arrows pointing at each other: narrowing the range.
void drawLimit(QPainter& p) {
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(4, 3, 28, 3);
    p.drawLine(4, 29, 28, 29);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 192));
    p.drawRect(14, 6, 4, 20);
    const QPoint up[] = {{8, 13}, {24, 13}, {16, 5}};
    const QPoint down[] = {{8, 19}, {24, 19}, {16, 27}};
    p.drawPolygon(up, 3);
    p.drawPolygon(down, 3);
}

// A framed picture with an arrow leaving it: the chart going out to a file.
void drawExport(QPainter& p) {
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(Qt::white);
    p.drawRect(3, 9, 18, 18);
    p.setPen(QPen(QColor(192, 0, 0), 2));
    p.drawPolyline(QPolygon({QPoint(6, 23), QPoint(10, 17), QPoint(14, 20), QPoint(18, 13)}));
    p.setPen(QPen(QColor(0, 0, 192), 3));
    p.drawLine(16, 16, 27, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 192));
    const QPoint head[] = {{20, 3}, {29, 3}, {29, 12}};
    p.drawPolygon(head, 3);
}

// A curve between two bounds drawn close around it: the scale fitted to the readings.
void drawFit(QPainter& p) {
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(3, 8, 29, 8);
    p.drawLine(3, 24, 29, 24);
    p.setPen(QPen(QColor(192, 0, 0), 2));
    p.drawPolyline(QPolygon({QPoint(4, 20), QPoint(10, 12), QPoint(16, 17), QPoint(22, 11), QPoint(28, 15)}));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 192));
    const QPoint down[] = {{10, 1}, {22, 1}, {16, 6}};
    const QPoint up[] = {{10, 31}, {22, 31}, {16, 26}};
    p.drawPolygon(down, 3);
    p.drawPolygon(up, 3);
}

}  // namespace

QIcon toolbarImage(const std::string& key) {
    QPixmap image(kSize, kSize);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (key == "Save" || key == "Save1") {
        drawDisk(painter);
    } else if (key == "Stop") {
        drawStop(painter);
    } else if (key == "Print") {
        drawPrinter(painter);
    } else if (key == "Preview") {
        drawPreview(painter);
    } else if (key == "Plot" || key == "Graph") {
        drawChart(painter);
    } else if (key == "Limit") {
        drawLimit(painter);
    } else if (key == "Open") {
        drawFolder(painter);
    } else if (key == "List") {
        drawListSheet(painter);
    } else if (key == "AVG") {
        drawAvg(painter);
    } else if (key == "PC") {
        drawClock(painter);
    } else if (key == "Memory") {
        drawChip(painter);
    } else if (key == "Export") {
        drawExport(painter);
    } else if (key == "Fit") {
        drawFit(painter);
    }
    painter.end();
    return QIcon(image);
}

}  // namespace calvex
