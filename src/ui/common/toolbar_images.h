#pragma once

#include <QIcon>
#include <string>

namespace calvex {

// The toolbar button faces of every window, drawn by the program (no image files to ship), by
// button key: "Save"/"Save1" a floppy disk, "Stop" a stop sign, "Print" a printer, "Preview" a
// page under a magnifier, "Plot" and "Graph" a small chart, "Limit" two bounds closing in,
// "Export" an arrow out of a chart, and the main window's "Open", "List", "AVG", "PC" and
// "Memory". Any other key gets an empty face.
QIcon toolbarImage(const std::string& key);

}  // namespace calvex
