#include "ui/panel/unit_pictures.h"

#include <QFont>
#include <QPainter>

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

}  // namespace calvex
