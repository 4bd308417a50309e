#pragma once

#include <functional>

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

}  // namespace calvex
