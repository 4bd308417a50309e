#pragma once

#include <functional>

class QObject;
class QPrintPreviewDialog;
class QWidget;

namespace calvex {

class Printer;

// The print preview of a window's print: `print` makes the document on the printer it is given,
// with the calls Print makes (lines and endDocument, or one image), and the preview shows the
// pages that the printer's own drawing lays out. It opens window-modal over `parent` and returns
// at once, so the sampling goes on behind it; its own Print button prints those pages.
// `print` runs again whenever the page setup changes, so it draws what it captured at the opening.
QPrintPreviewDialog* openPrintPreview(QWidget* parent, std::function<void(Printer&)> print);

// Every window's Print: with a default printer `print` runs at once; without one the user first
// chooses where to print in the system's dialog, and `print` runs then, if `window` is still there.
void printWhenOutputChosen(Printer& printer, QObject* window, std::function<void()> print);

}  // namespace calvex
