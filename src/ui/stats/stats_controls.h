#pragma once

#include <QLabel>
#include <QRect>
#include <QString>

class QWidget;

// The kinds of label the statistics windows are built from, at their design places (in twips).
namespace calvex {

QRect twipsRect(int left, int top, int width, int height);

// A 3-D caption panel: centred text on a raised frame.
QLabel* captionPanel(QWidget* parent, const QString& text, const QRect& geometry);
// A figure: yellow ground, 12 pt bold, centred. `meaning` is told to screen readers after the figure.
QLabel* valueLabel(QWidget* parent, const char* name, const QString& meaning, const QRect& geometry);
// The time of an extreme, in small print under its figure.
QLabel* extremeTimeLabel(QWidget* parent, const char* name, const QString& meaning, const QRect& geometry);
// A start, stop or current time on a sunken white ground.
QLabel* clockLabel(QWidget* parent, const char* name, const QString& meaning, const QRect& geometry);

}  // namespace calvex
