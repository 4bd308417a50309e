#include "ui/stats/stats_controls.h"

#include <QWidget>

#include "ui/common/twips.h"

namespace calvex {

namespace {

// A screen reader reads a label's own text as its name; what the figure means goes in the description.
QLabel* makeLabel(QWidget* parent, const char* name, const QString& meaning, const QRect& geometry) {
    auto* label = new QLabel(parent);
    if (name != nullptr)
        label->setObjectName(name);
    label->setAccessibleDescription(meaning);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

void setGround(QLabel* label, const QColor& color) {
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, color);
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
}

}  // namespace

QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

QLabel* captionPanel(QWidget* parent, const QString& text, const QRect& geometry) {
    QLabel* label = makeLabel(parent, nullptr, QString(), geometry);
    label->setText(text);
    label->setFrameStyle(QFrame::Panel | QFrame::Raised);
    label->setLineWidth(2);
    return label;
}

QLabel* valueLabel(QWidget* parent, const char* name, const QString& meaning, const QRect& geometry) {
    QLabel* label = makeLabel(parent, name, meaning, geometry);
    setGround(label, QColor(255, 255, 0));
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    QFont font = label->font();
    font.setPointSize(12);
    font.setBold(true);
    label->setFont(font);
    return label;
}

QLabel* extremeTimeLabel(QWidget* parent, const char* name, const QString& meaning, const QRect& geometry) {
    QLabel* label = makeLabel(parent, name, meaning, geometry);
    QFont font = label->font();
    font.setPointSize(7);
    label->setFont(font);
    return label;
}

QLabel* clockLabel(QWidget* parent, const char* name, const QString& meaning, const QRect& geometry) {
    QLabel* label = makeLabel(parent, name, meaning, geometry);
    setGround(label, Qt::white);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return label;
}

}  // namespace calvex
